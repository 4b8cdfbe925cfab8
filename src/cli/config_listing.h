#pragma once

#include "model/config_image.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>

// A configuration in the terms of the tool's pages, for showing and
// comparing files. Every field has a stable key (also its place in the
// JSON form), a Russian label and its value as text and as JSON. Values a
// page cannot show are given as raw bytes, never dropped.
struct ListingField {
    QString Key;    // e.g. "inputs.12"
    QString Label;  // e.g. "Вход 12"
    QString Text;   // e.g. "Н.З."
    QJsonValue Json;
};

struct ListingSection {
    QString Key;    // e.g. "inputs"
    QString Title;  // e.g. "Входы"
    QList<ListingField> Fields;
};

using Listing = QList<ListingSection>;

Listing ListConfiguration(const ConfigImage& image, int32_t familyCode);

// The text form: a header line per section, a "label: value" line per field.
QString ListingText(const Listing& listing);
// The JSON form: one object per section with its fields by key, plus the
// raw payload of every block in hex under "blocks".
QJsonObject ListingJson(const Listing& listing, const ConfigImage& image);

struct ListingDifference {
    QString Key;
    QString Label;
    QString A;
    QString B;
};
// The fields whose values differ, in the order of the listing.
QList<ListingDifference> DiffListings(const Listing& a, const Listing& b);
