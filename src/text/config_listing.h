#pragma once

#include "model/config_image.h"
#include "text/config_fields.h"

#include <QList>
#include <QString>

// A configuration in the terms of the tool's pages, for showing a file as
// text: the sections and lines of the configuration's view (every field of
// the table, values a page cannot show as raw bytes, never dropped), with
// the model and the family first.
struct ListingField {
    QString Label;                // e.g. "Вход 12: назначение", "Вход 12"
    QString Text;                 // e.g. "Н.З."
    QList<const FieldRow*> Rows;  // the fields it shows; none for the model and family
};

struct ListingSection {
    QString Title;  // e.g. "Входы"
    QList<ListingField> Fields;
};

using Listing = QList<ListingSection>;

Listing ListConfiguration(const ConfigImage& image, int32_t familyCode);

// The text form: a header line per section, a "label: value" line per field.
QString ListingText(const Listing& listing);
