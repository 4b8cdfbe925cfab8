#include "text/config_document.h"

#include "model/device_models.h"
#include "text/config_fields.h"
#include "text/field_path.h"

#include <QJsonArray>

namespace {

// Puts `values` (key -> value) at the end of `steps` inside `node`.
void Place(QJsonObject& node, const QList<PathStep>& steps, int at, const QJsonObject& values)
{
    const PathStep& step = steps[at];
    const bool last = at + 1 == steps.size();
    if (step.Index == 0) {
        if (last) {
            for (auto it = values.begin(); it != values.end(); ++it)
                node.insert(it.key(), it.value());
            return;
        }
        QJsonObject child = node.value(step.Key).toObject();
        Place(child, steps, at + 1, values);
        node.insert(step.Key, child);
        return;
    }
    // A table: an array of objects, each with its number.
    QJsonArray array = node.value(step.Key).toArray();
    while (array.size() < step.Index)
        array.append(QJsonObject{{"number", int(array.size()) + 1}});
    QJsonObject element = array.at(step.Index - 1).toObject();
    if (last) {
        // A table of plain values (an input's relays): "relays": [true, ...].
        array.replace(step.Index - 1, values.begin().value());
    } else {
        Place(element, steps, at + 1, values);
        array.replace(step.Index - 1, element);
    }
    node.insert(step.Key, array);
}

}  // namespace

QJsonObject ConfigDocument(const ConfigImage& image, int32_t familyCode)
{
    QJsonObject root;
    for (const FieldRow& row : ConfigFields()) {
        const int value = FieldValue(row, image);
        QList<PathStep> steps = PathSteps(row.Path);
        const QString key = steps.last().Index ? QString() : steps.last().Key;
        QJsonObject values;
        values.insert(key.isEmpty() ? QStringLiteral("value") : key,
                      row.Format == FieldFormat::Flag ? QJsonValue(value != 0)
                                                      : QJsonValue(FieldJsonNumber(row, value)));
        if (row.Format == FieldFormat::Names)
            values.insert(key + "_name", FieldValueKey(row, value).isEmpty()
                                             ? QJsonValue(QJsonValue::Null)
                                             : QJsonValue(FieldValueKey(row, value)));
        if (row.Format == FieldFormat::Names || row.Format == FieldFormat::NamedNumber)
            values.insert(key + "_text", FieldValueText(row, value));
        Place(root, steps, 0, values);
    }
    root.insert("family", familyCode);
    root.insert("family_text", FamilyName(familyCode));
    const ConfigState state{image, familyCode, {}, false};
    const auto model = FindDeviceModel(state);
    root.insert("model", model ? QJsonValue(QString::fromUtf8(DeviceModels[*model].Name))
                               : QJsonValue(QJsonValue::Null));
    QJsonArray blocks;
    for (int b = 0; b < ConfigBlockCount; ++b) {
        const auto payload = BlockPayload(image, b);
        blocks << QString::fromLatin1(
            QByteArray(reinterpret_cast<const char*>(payload.data()), qsizetype(payload.size()))
                .toHex());
    }
    root.insert("blocks", blocks);
    return root;
}

QJsonObject ConfigExportDocument(const ConfigImage& image, int32_t familyCode)
{
    QJsonObject configuration = ConfigDocument(image, familyCode);
    configuration.remove(QStringLiteral("blocks"));
    return {{"schema_version", JsonSchemaVersion},
            {"command", "export"},
            {"configuration", configuration}};
}
