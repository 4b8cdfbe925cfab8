#include "text/config_import.h"

#include "model/request_table.h"
#include "text/config_document.h"
#include "text/config_fields.h"
#include "text/text_labels.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QStringList>

#include <bit>
#include <climits>
#include <cmath>
#include <optional>

namespace {

void PutField(const FieldRow& row, ConfigImage& image, int value)
{
    if (row.Width == 2) {
        image[row.Offset] = uint8_t(value & 0xFF);
        image[row.Offset + 1] = uint8_t(value >> 8);
        return;
    }
    const int shift = std::countr_zero(row.Mask);
    image[row.Offset] = uint8_t((image[row.Offset] & ~row.Mask) | ((value << shift) & row.Mask));
}

std::optional<int> WholeNumber(const QJsonValue& v, int min, int max, QString* error)
{
    const double d = v.toDouble();
    if (!v.isDouble() || !std::isfinite(d) || d != std::floor(d)) {
        *error = QStringLiteral("ожидается целое число");
        return std::nullopt;
    }
    if (d < min || d > max) {
        *error = QStringLiteral("%1 вне диапазона %2 - %3").arg(d, 0, 'f', 0).arg(min).arg(max);
        return std::nullopt;
    }
    return int(d);
}

QString NamesExpected(const FieldRow& row)
{
    QStringList names;
    for (const FieldValueName& n : row.Names)
        names << QStringLiteral("\"%1\"").arg(n.Key);
    const QString last = names.takeLast();
    return QStringLiteral("ожидается %1%2")
        .arg(names.isEmpty() ? QString()
                             : names.join(QStringLiteral(", ")) + QStringLiteral(" или "),
             last);
}

// A NamedNumber row takes a listed name's number or any raw byte value.
std::optional<int> NamedNumberFromJson(const FieldRow& row, const QJsonValue& v, QString* error)
{
    if (!WholeNumber(v, INT_MIN, INT_MAX, error))
        return std::nullopt;
    const double d = v.toDouble();
    for (const FieldValueName& n : row.Names)
        if (n.Key.toDouble() == d)
            return n.Code;
    if (d >= 0 && d <= FieldMaxValue(row))
        return int(d);
    QStringList listed;
    for (const FieldValueName& n : row.Names)
        listed << n.Key;
    *error = QStringLiteral("%1 не из списка %2 и вне диапазона байта 0 - %3")
                 .arg(d, 0, 'f', 0)
                 .arg(listed.join(QStringLiteral(", ")))
                 .arg(FieldMaxValue(row));
    return std::nullopt;
}

// The field's value from its JSON form, or the reason it is refused. Every
// value the field's bits can hold is taken, so that any image comes back.
std::optional<int> FieldFromJson(const FieldRow& row, const QJsonValue& v, QString* error)
{
    switch (row.Format) {
        case FieldFormat::Flag:
            if (!v.isBool()) {
                *error = QStringLiteral("ожидается true или false");
                return std::nullopt;
            }
            return v.toBool() ? 1 : 0;
        case FieldFormat::Names:
            if (v.isString()) {
                for (const FieldValueName& n : row.Names)
                    if (n.Key == v.toString())
                        return n.Code;
            }
            if (!v.isDouble()) {
                *error = NamesExpected(row);
                return std::nullopt;
            }
            return WholeNumber(v, 0, FieldMaxValue(row), error);
        case FieldFormat::NamedNumber: return NamedNumberFromJson(row, v, error);
        default: return WholeNumber(v, 0, FieldMaxValue(row), error);
    }
}

// The value, refused when it sets bits outside the field's (a field whose
// bits are not side by side, such as the line flags beside stop bits and
// parity, takes only values with those bits clear).
std::optional<int> FieldValueFromJson(const FieldRow& row, const QJsonValue& v, QString* error)
{
    const auto value = FieldFromJson(row, v, error);
    if (value && !FieldHolds(row, *value)) {
        *error = QStringLiteral("%1: биты вне поля (маска байта %2)")
                     .arg(*value)
                     .arg(HexByteText(row.Mask));
        return std::nullopt;
    }
    return value;
}

bool Derived(const QString& key, bool atRoot)
{
    if (key == QLatin1String("number") || key.endsWith(QLatin1String("_name")) ||
        key.endsWith(QLatin1String("_text")))
        return true;
    return atRoot && (key == QLatin1String("model") || key == QLatin1String("blocks"));
}

QString Join(const QString& path, const QString& key)
{
    return path.isEmpty() ? key : path + QLatin1Char('.') + key;
}

QString TypeExpected(const QJsonValue& model)
{
    if (model.isObject())
        return QStringLiteral("ожидается объект");
    if (model.isArray())
        return QStringLiteral("ожидается массив из %1 элементов").arg(model.toArray().size());
    return QStringLiteral("ожидается строка");
}

// Walks a document against the shape of the exported one, putting each
// field into the image; checks on derived keys wait in `later`.
class Reader {
public:
    ConfigTextResult Read(const QJsonObject& configuration)
    {
        static const QJsonObject shape = ConfigDocument(ConfigImage{}, 0);
        if (Walk(shape, configuration, QString()) && CheckNames())
            CheckBlocks(configuration);
        return m_result;
    }

private:
    struct NameCheck {
        QString Path;
        const FieldRow* Row;
        QJsonValue Value;
    };

    bool Fail(const QString& path, const QString& reason)
    {
        m_result.Error = path + QStringLiteral(": ") + reason;
        return false;
    }

    bool Walk(const QJsonValue& model, const QJsonValue& value, const QString& path)
    {
        if (model.isObject()) {
            if (!value.isObject())
                return Fail(path, TypeExpected(model));
            return WalkObject(model.toObject(), value.toObject(), path);
        }
        if (model.isArray()) {
            const QJsonArray m = model.toArray();
            if (!value.isArray() || value.toArray().size() != m.size())
                return Fail(path, TypeExpected(model));
            const QJsonArray a = value.toArray();
            for (qsizetype i = 0; i < a.size(); ++i)
                if (!Walk(m.at(i), a.at(i), QStringLiteral("%1[%2]").arg(path).arg(i + 1)))
                    return false;
            return true;
        }
        return Leaf(value, path);
    }

    bool WalkObject(const QJsonObject& model, const QJsonObject& value, const QString& path)
    {
        for (auto it = value.begin(); it != value.end(); ++it)
            if (!model.contains(it.key()))
                return Fail(Join(path, it.key()), QStringLiteral("неизвестный ключ"));
        for (auto it = model.begin(); it != model.end(); ++it) {
            const QString at = Join(path, it.key());
            if (!value.contains(it.key())) {
                if (Derived(it.key(), path.isEmpty()))
                    continue;
                return Fail(at, QStringLiteral("отсутствует"));
            }
            if (it.key() == QLatin1String("blocks")) {
                if (!value.value(it.key()).isArray())
                    return Fail(at, TypeExpected(it.value()));
                continue;  // compared with the fields once they are all read
            }
            if (!Walk(it.value(), value.value(it.key()), at))
                return false;
        }
        return true;
    }

    bool Leaf(const QJsonValue& value, const QString& path)
    {
        if (const FieldRow* row = FindField(path)) {
            QString error;
            const auto v = FieldValueFromJson(*row, value, &error);
            if (!v)
                return Fail(path, error);
            PutField(*row, m_result.Image, *v);
            return true;
        }
        if (path == QLatin1String("family")) {
            QString error;
            const auto v = WholeNumber(value, FamilyMin, FamilyMax, &error);
            if (!v)
                return Fail(path, error);
            m_result.FamilyCode = *v;
            return true;
        }
        if (path.endsWith(QLatin1String(".number")) || path == QLatin1String("number")) {
            const int open = path.lastIndexOf(QLatin1Char('['));
            const int close = path.lastIndexOf(QLatin1Char(']'));
            const int expected = path.mid(open + 1, close - open - 1).toInt();
            if (!value.isDouble() || value.toDouble() != expected)
                return Fail(path, QStringLiteral("ожидается %1").arg(expected));
            return true;
        }
        if (path.endsWith(QLatin1String("_name"))) {
            const FieldRow* row = FindField(path.chopped(5));
            if (!value.isString() && !value.isNull())
                return Fail(path, TextLabel::StringOrNullExpected);
            m_names << NameCheck{path, row, value};
            return true;
        }
        // Texts for people (the pages' Russian, the model): read, never used.
        if (!value.isString() && !value.isNull())
            return Fail(path, TextLabel::StringOrNullExpected);
        return true;
    }

    bool CheckNames()
    {
        for (const NameCheck& c : m_names) {
            if (!c.Row)
                continue;
            const QString key = FieldValueKey(*c.Row, FieldValue(*c.Row, m_result.Image));
            const QJsonValue expected = key.isEmpty() ? QJsonValue() : QJsonValue(key);
            if (c.Value != expected)
                return Fail(c.Path, QStringLiteral("не совпадает со значением поля (%1)")
                                        .arg(key.isEmpty() ? QStringLiteral("null")
                                                           : QStringLiteral("\"%1\"").arg(key)));
        }
        return true;
    }

    void CheckBlocks(const QJsonObject& configuration)
    {
        if (!configuration.contains(QLatin1String("blocks")))
            return;
        const QJsonArray given = configuration.value(QLatin1String("blocks")).toArray();
        const QJsonArray made = ConfigDocument(m_result.Image, m_result.FamilyCode)
                                    .value(QLatin1String("blocks"))
                                    .toArray();
        if (given.size() != made.size()) {
            Fail(QStringLiteral("blocks"), TypeExpected(made));
            return;
        }
        for (qsizetype b = 0; b < made.size(); ++b)
            if (given.at(b) != made.at(b)) {
                Fail(QStringLiteral("blocks[%1]").arg(b + 1),
                     QStringLiteral("не совпадает с полями (поля: %1); исправьте или удалите "
                                    "\"blocks\"")
                         .arg(made.at(b).toString()));
                return;
            }
    }

    ConfigTextResult m_result;
    QList<NameCheck> m_names;
};

}  // namespace

ConfigTextResult ConfigFromDocument(const QJsonObject& configuration)
{
    return Reader().Read(configuration);
}

ConfigTextResult ConfigFromText(const QByteArray& text)
{
    ConfigTextResult failed;
    QJsonParseError parse{};
    const QJsonDocument doc = QJsonDocument::fromJson(text, &parse);
    if (parse.error != QJsonParseError::NoError) {
        failed.Error = QStringLiteral("не документ JSON: ошибка в символе %1").arg(parse.offset);
        return failed;
    }
    if (!doc.isObject()) {
        failed.Error = QStringLiteral("не документ JSON: ожидается объект");
        return failed;
    }
    const QJsonObject root = doc.object();
    static const QStringList Texts{"command", "file", "file_version"};
    for (auto it = root.begin(); it != root.end(); ++it) {
        const QString& key = it.key();
        if (key == QLatin1String("schema_version")) {
            if (it.value() != QJsonValue(JsonSchemaVersion)) {
                failed.Error =
                    QStringLiteral("schema_version: ожидается %1").arg(JsonSchemaVersion);
                return failed;
            }
        } else if (Texts.contains(key)) {
            if (!it.value().isString()) {
                failed.Error = key + QStringLiteral(": ожидается строка");
                return failed;
            }
        } else if (key != QLatin1String("configuration")) {
            failed.Error = key + QStringLiteral(": неизвестный ключ");
            return failed;
        }
    }
    for (const char* required : {"schema_version", "configuration"})
        if (!root.contains(QLatin1String(required))) {
            failed.Error = QLatin1String(required) + QStringLiteral(": отсутствует");
            return failed;
        }
    if (!root.value(QLatin1String("configuration")).isObject()) {
        failed.Error = QStringLiteral("configuration: ожидается объект");
        return failed;
    }
    return ConfigFromDocument(root.value(QLatin1String("configuration")).toObject());
}

QString SetConfigField(ConfigImage& image, int32_t& family, const QString& assignment)
{
    const qsizetype eq = assignment.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return QStringLiteral("%1: ожидается ПУТЬ=ЗНАЧЕНИЕ").arg(assignment);
    const QString path = assignment.left(eq);
    const QString text = assignment.mid(eq + 1);
    QJsonValue value(text);
    bool isNumber = false;
    const int number = text.toInt(&isNumber);
    if (isNumber)
        value = QJsonValue(number);
    else if (text == QLatin1String("true") || text == QLatin1String("false"))
        value = QJsonValue(text == QLatin1String("true"));
    QString error;
    if (path == QLatin1String("family")) {
        const auto v = WholeNumber(value, FamilyMin, FamilyMax, &error);
        if (!v)
            return path + QStringLiteral(": ") + error;
        family = *v;
        return {};
    }
    const FieldRow* row = FindField(path);
    if (!row)
        return path + QStringLiteral(": неизвестное поле");
    const auto v = FieldValueFromJson(*row, value, &error);
    if (!v)
        return path + QStringLiteral(": ") + error;
    PutField(*row, image, *v);
    return {};
}
