#pragma once

#include "model/config_image.h"

#include <QList>
#include <QString>

// A configuration in the terms of the tool's pages, for showing a file as
// text. Every field has a Russian label and its value as the page
// would show it. Values a page cannot show are given as raw bytes, never
// dropped. (The JSON form and comparisons come from the field table.)
struct ListingField {
    QString Label;  // e.g. "Вход 12"
    QString Text;   // e.g. "Н.З."
};

struct ListingSection {
    QString Title;  // e.g. "Входы"
    QList<ListingField> Fields;
};

using Listing = QList<ListingSection>;

Listing ListConfiguration(const ConfigImage& image, int32_t familyCode);

// The text form: a header line per section, a "label: value" line per field.
QString ListingText(const Listing& listing);
