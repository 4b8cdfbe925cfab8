#include "text/config_schema.h"

#include "text/config_document.h"
#include "text/field_path.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {

struct PathRow {
    QList<PathStep> Steps;
    const FieldRow* Row;
};

QJsonObject Texts()
{
    return {{"type", QJsonArray{"string", "null"}}};
}

QJsonObject IntegerSchema(const FieldRow& row)
{
    QJsonObject schema{{"type", "integer"}, {"minimum", 0}, {"maximum", FieldMaxValue(row)}};
    if (row.Width > 1)
        return schema;
    // Bits with a gap (line flags beside stop bits and parity) hold only
    // the values that leave the gap clear.
    QJsonArray values;
    for (int v = 0; v <= FieldMaxValue(row); ++v)
        if (FieldHolds(row, v))
            values << v;
    if (values.size() <= FieldMaxValue(row))
        schema.insert("enum", values);
    return schema;
}

// The keys of one field within its object: its value and the derived names.
void PutLeaf(QJsonObject& properties, QStringList& required, const QString& key,
             const FieldRow& row)
{
    properties.insert(key, FieldValueSchema(row));
    required << key;
    if (row.Format == FieldFormat::Names) {
        QJsonArray names;
        for (const FieldValueName& n : row.Names)
            names << n.Key;
        names << QJsonValue(QJsonValue::Null);
        properties.insert(key + "_name", QJsonObject{{"enum", names}});
    }
    if (row.Format == FieldFormat::Names || row.Format == FieldFormat::NamedNumber)
        properties.insert(key + "_text", Texts());
}

QJsonObject ObjectSchema(const QList<PathRow>& rows, int depth, int number);

// The schema of the rows that share their steps up to `depth`, grouped by
// the step at `depth` in the order of the table.
QJsonObject Properties(const QList<PathRow>& rows, int depth, QStringList& required)
{
    QStringList keys;
    QHash<QString, QList<PathRow>> groups;
    for (const PathRow& r : rows) {
        const QString& key = r.Steps[depth].Key;
        if (!groups.contains(key))
            keys << key;
        groups[key] << r;
    }
    QJsonObject properties;
    for (const QString& key : keys) {
        const QList<PathRow>& group = groups.value(key);
        const PathRow& first = group.first();
        const bool last = first.Steps.size() == depth + 1;
        if (first.Steps[depth].Index == 0) {
            if (last)
                PutLeaf(properties, required, key, *first.Row);
            else
                properties.insert(key, ObjectSchema(group, depth + 1, 0));
            required << key;
            continue;
        }
        // A table: its elements are alike, so the first describes them all.
        int count = 0;
        QList<PathRow> element;
        for (const PathRow& r : group) {
            count = std::max(count, r.Steps[depth].Index);
            if (r.Steps[depth].Index == 1)
                element << r;
        }
        properties.insert(key,
                          QJsonObject{{"type", "array"},
                                      {"items", last ? FieldValueSchema(*first.Row)
                                                     : ObjectSchema(element, depth + 1, count)},
                                      {"minItems", count},
                                      {"maxItems", count}});
        required << key;
    }
    required.removeDuplicates();
    return properties;
}

// An object of fields; an element of a table of `number` elements also
// carries its number.
QJsonObject ObjectSchema(const QList<PathRow>& rows, int depth, int number)
{
    QStringList required;
    QJsonObject properties = Properties(rows, depth, required);
    if (number > 0)
        properties.insert("number",
                          QJsonObject{{"type", "integer"}, {"minimum", 1}, {"maximum", number}});
    required.sort();
    return {{"type", "object"},
            {"additionalProperties", false},
            {"properties", properties},
            {"required", QJsonArray::fromStringList(required)}};
}

QJsonObject BlocksSchema()
{
    QJsonArray blocks;
    for (const ConfigBlock& b : BlockDirectory)
        blocks << QJsonObject{{"type", "string"},
                              {"pattern", QStringLiteral("^[0-9a-f]{%1}$").arg(2 * b.Length)}};
    return {{"type", "array"},
            {"prefixItems", blocks},
            {"items", false},
            {"minItems", int(BlockDirectory.size())}};
}

QJsonObject ConfigurationSchema()
{
    QList<PathRow> rows;
    for (const FieldRow& row : ConfigFields())
        rows << PathRow{PathSteps(row.Path), &row};
    QJsonObject schema = ObjectSchema(rows, 0, 0);
    QJsonObject properties = schema.value("properties").toObject();
    properties.insert(
        "family", QJsonObject{{"type", "integer"}, {"minimum", FamilyMin}, {"maximum", FamilyMax}});
    properties.insert("family_text", Texts());
    properties.insert("model", Texts());
    properties.insert("blocks", BlocksSchema());
    schema.insert("properties", properties);
    QJsonArray required = schema.value("required").toArray();
    required << "family";
    QStringList sorted;
    for (const QJsonValue& v : required)
        sorted << v.toString();
    sorted.sort();
    schema.insert("required", QJsonArray::fromStringList(sorted));
    return schema;
}

}  // namespace

QJsonObject FieldValueSchema(const FieldRow& row)
{
    switch (row.Format) {
        case FieldFormat::Flag: return {{"type", "boolean"}};
        case FieldFormat::Names: {
            QJsonArray names;
            for (const FieldValueName& n : row.Names)
                names << n.Key;
            return {{"anyOf", QJsonArray{IntegerSchema(row), QJsonObject{{"enum", names}}}}};
        }
        case FieldFormat::NamedNumber: {
            QJsonArray numbers;
            for (const FieldValueName& n : row.Names)
                numbers << n.Key.toInt();
            return {{"anyOf", QJsonArray{IntegerSchema(row), QJsonObject{{"enum", numbers}}}}};
        }
        default: return IntegerSchema(row);
    }
}

QJsonObject ConfigSchema()
{
    return {
        {"$schema", "https://json-schema.org/draft/2020-12/schema"},
        {"$id", "https://orlix.org/schemas/orlix-configuration.schema.json"},
        {"title", "Orlix panel configuration, text form (orlix-cli export, show --json)"},
        {"description",
         "Every byte of the 482-byte image except the CRC words, and the model family. Numbers "
         "are the raw field values; a field with value names may also be given by its name "
         "(\"closed\"). Keys ending in _name and _text, number, family_text, model and blocks "
         "are derived: optional on import, and where given _name, number and blocks must agree "
         "with the fields. Made by orlix-cli schema configuration from the tool's field table."},
        {"type", "object"},
        {"additionalProperties", false},
        {"required", QJsonArray{"configuration", "schema_version"}},
        {"properties", QJsonObject{{"schema_version", QJsonObject{{"const", JsonSchemaVersion}}},
                                   {"command", QJsonObject{{"type", "string"}}},
                                   {"file", QJsonObject{{"type", "string"}}},
                                   {"file_version", QJsonObject{{"type", "string"}}},
                                   {"configuration", ConfigurationSchema()}}}};
}

QByteArray SchemaText(const QJsonObject& schema)
{
    return QJsonDocument(schema).toJson(QJsonDocument::Indented);
}
