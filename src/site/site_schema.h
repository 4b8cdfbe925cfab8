#pragma once

#include <QJsonObject>

// The JSON Schema (draft 2020-12) of a site file: what ParseSite takes key
// by key (the rules across panels, such as an address twice on a line,
// are its own). The shipped schemas/orlix-site.schema.json is its text.
QJsonObject SiteSchema();
