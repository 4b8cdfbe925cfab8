#include "site/site_file.h"

#include "model/mbus_settings.h"
#include "site/site_texts.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QStringList>

#include <cmath>

namespace {

constexpr int MaxSlaveAddress = 247;

class SiteReader {
public:
    explicit SiteReader(QString folder) : m_folder(std::move(folder)) {}

    SiteParse Read(const QByteArray& text)
    {
        QJsonParseError parse{};
        const QJsonDocument doc = QJsonDocument::fromJson(text, &parse);
        if (parse.error != QJsonParseError::NoError)
            return Fail({},
                        QStringLiteral("не документ JSON: ошибка в символе %1").arg(parse.offset));
        if (!doc.isObject())
            return Fail({}, QStringLiteral("не документ JSON: ожидается объект"));
        const QJsonObject root = doc.object();
        if (!Keys(root, {"lines"}, {"lines", "schema_version", "name"}, QString()))
            return m_result;
        if (root.contains("schema_version") && root.value("schema_version") != QJsonValue(1))
            return Fail("schema_version", QStringLiteral("ожидается 1"));
        const QJsonValue lines = root.value("lines");
        if (!lines.isArray() || lines.toArray().isEmpty())
            return Fail("lines", SiteText::NonEmptyListExpected);
        QSet<QString> ports;
        QSet<QString> files;
        for (qsizetype i = 0; i < lines.toArray().size(); ++i) {
            const QString at = QStringLiteral("lines[%1]").arg(i + 1);
            SiteLine line;
            if (!Line(lines.toArray().at(i), at, line))
                return m_result;
            if (ports.contains(line.Port))
                return Fail(at + ".port", QStringLiteral("порт %1 уже указан").arg(line.Port));
            ports.insert(line.Port);
            for (qsizetype p = 0; p < line.Panels.size(); ++p) {
                const QString file = line.Panels[p].File;
                if (files.contains(file))
                    return Fail(QStringLiteral("%1.panels[%2].file").arg(at).arg(p + 1),
                                QStringLiteral("файл уже указан для другой панели"));
                files.insert(file);
            }
            m_result.Value.Lines << line;
        }
        return m_result;
    }

private:
    SiteParse Fail(const QString& path, const QString& reason)
    {
        m_result.Error = path.isEmpty() ? reason : path + QStringLiteral(": ") + reason;
        return m_result;
    }

    bool Keys(const QJsonObject& o, const QStringList& required, const QStringList& known,
              const QString& path)
    {
        const QString prefix = path.isEmpty() ? QString() : path + QLatin1Char('.');
        for (auto it = o.begin(); it != o.end(); ++it)
            if (!known.contains(it.key())) {
                Fail(prefix + it.key(), QStringLiteral("неизвестный ключ"));
                return false;
            }
        for (const QString& key : required)
            if (!o.contains(key)) {
                Fail(prefix + key, QStringLiteral("отсутствует"));
                return false;
            }
        return true;
    }

    bool Number(const QJsonValue& v, int min, int max, const QString& path, int& out)
    {
        const double d = v.toDouble();
        if (!v.isDouble() || d != std::floor(d)) {
            Fail(path, QStringLiteral("ожидается целое число"));
            return false;
        }
        if (d < min || d > max) {
            Fail(path,
                 QStringLiteral("%1 вне диапазона %2 - %3").arg(d, 0, 'f', 0).arg(min).arg(max));
            return false;
        }
        out = int(d);
        return true;
    }

    bool Text(const QJsonValue& v, const QString& path, QString& out)
    {
        if (!v.isString() || v.toString().isEmpty()) {
            Fail(path, QStringLiteral("ожидается непустая строка"));
            return false;
        }
        out = v.toString();
        return true;
    }

    bool Line(const QJsonValue& value, const QString& at, SiteLine& line)
    {
        if (!value.isObject()) {
            Fail(at, SiteText::ObjectExpected);
            return false;
        }
        const QJsonObject o = value.toObject();
        if (!Keys(o, {"port", "panels"},
                  {"port", "baud", "stop_bits", "parity", "echo", "panels", "name"}, at) ||
            !Text(o.value("port"), at + ".port", line.Port))
            return false;
        if (o.contains("baud")) {
            if (!Number(o.value("baud"), 0, 1000000, at + ".baud", line.Line.BaudRate))
                return false;
            QStringList rates;
            for (const BaudRateRow& row : BaudRateTable)
                rates << QString::number(row.BitsPerSecond);
            if (!BaudRowForRate(line.Line.BaudRate)) {
                Fail(at + ".baud",
                     QStringLiteral("ожидается одна из скоростей %1").arg(rates.join(", ")));
                return false;
            }
        }
        if (o.contains("stop_bits")) {
            if (!Number(o.value("stop_bits"), 1, 2, at + ".stop_bits", line.Line.StopBits))
                return false;
        }
        if (o.contains("parity")) {
            const auto parity = ParityFromWord(o.value("parity").toString());
            if (!parity) {
                Fail(at + ".parity", QStringLiteral("ожидается \"none\", \"even\" или \"odd\""));
                return false;
            }
            line.Line.Parity = *parity;
        }
        if (o.contains("echo")) {
            const auto echo = EchoModeFromWord(o.value("echo").toString());
            if (!echo) {
                Fail(at + ".echo", QStringLiteral("ожидается \"auto\", \"on\" или \"off\""));
                return false;
            }
            line.Line.Echo = *echo;
        }
        const QJsonValue panels = o.value("panels");
        if (!panels.isArray() || panels.toArray().isEmpty()) {
            Fail(at + ".panels", SiteText::NonEmptyListExpected);
            return false;
        }
        QSet<int> addresses;
        for (qsizetype p = 0; p < panels.toArray().size(); ++p) {
            const QString pat = QStringLiteral("%1.panels[%2]").arg(at).arg(p + 1);
            const QJsonValue pv = panels.toArray().at(p);
            if (!pv.isObject()) {
                Fail(pat, SiteText::ObjectExpected);
                return false;
            }
            const QJsonObject po = pv.toObject();
            SitePanel panel;
            int address = 0;
            QString file;
            if (!Keys(po, {"address", "file"}, {"address", "file", "name"}, pat) ||
                !Number(po.value("address"), 1, MaxSlaveAddress, pat + ".address", address) ||
                !Text(po.value("file"), pat + ".file", file))
                return false;
            if (po.contains("name") && !Text(po.value("name"), pat + ".name", panel.Name))
                return false;
            if (addresses.contains(address)) {
                Fail(pat + ".address",
                     QStringLiteral("адрес %1 уже указан на этой линии").arg(address));
                return false;
            }
            addresses.insert(address);
            panel.Address = uint8_t(address);
            panel.File = QDir::cleanPath(QDir(m_folder).absoluteFilePath(file));
            line.Panels << panel;
        }
        return true;
    }

    QString m_folder;
    SiteParse m_result;
};

}  // namespace

SiteParse ParseSite(const QByteArray& text, const QString& folder)
{
    return SiteReader(folder).Read(text);
}
