#pragma once

#include "text/config_fields.h"

#include <QByteArray>
#include <QJsonObject>

// The JSON Schema (draft 2020-12) of the text form, made from the field
// table: each field's type and the values its bits hold, its value names,
// the tables' lengths, and the derived keys. The shipped
// schemas/orlix-configuration.schema.json is this schema's text.
QJsonObject ConfigSchema();

// The schema of one field's value: a boolean, an integer its bits hold, or
// one of its names.
QJsonObject FieldValueSchema(const FieldRow& row);

// A schema as it is shipped: indented JSON.
QByteArray SchemaText(const QJsonObject& schema);
