#include "site/site_schema.h"

#include "link/modbus.h"
#include "model/mbus_settings.h"

#include <QJsonArray>

namespace {
constexpr int MaxSlaveAddress = 247;  // the Modbus serial line's last slave address

QJsonObject Text()
{
    return {{"type", "string"}, {"minLength", 1}};
}
}  // namespace

QJsonObject SiteSchema()
{
    QJsonArray rates;
    for (const BaudRateRow& row : BaudRateTable)
        rates << row.BitsPerSecond;
    QJsonArray parity;
    for (Parity p : {Parity::None, Parity::Even, Parity::Odd})
        parity << ParityWord(p);
    QJsonArray echo;
    for (EchoMode mode : {EchoMode::Auto, EchoMode::On, EchoMode::Off})
        echo << EchoModeWord(mode);
    const QJsonObject panel{
        {"type", "object"},
        {"additionalProperties", false},
        {"required", QJsonArray{"address", "file"}},
        {"properties", QJsonObject{{"address", QJsonObject{{"type", "integer"},
                                                           {"minimum", 1},
                                                           {"maximum", MaxSlaveAddress}}},
                                   {"file", Text()},
                                   {"name", Text()}}}};
    const QJsonObject line{
        {"type", "object"},
        {"additionalProperties", false},
        {"required", QJsonArray{"panels", "port"}},
        {"properties",
         QJsonObject{
             {"port", Text()},
             {"name", Text()},
             {"baud", QJsonObject{{"enum", rates}}},
             {"stop_bits", QJsonObject{{"enum", QJsonArray{1, 2}}}},
             {"parity", QJsonObject{{"enum", parity}}},
             {"echo", QJsonObject{{"enum", echo}}},
             {"panels", QJsonObject{{"type", "array"}, {"minItems", 1}, {"items", panel}}}}}};
    return {
        {"$schema", "https://json-schema.org/draft/2020-12/schema"},
        {"$id", "https://orlix.org/schemas/orlix-site.schema.json"},
        {"title", "Orlix site: the RS-485 lines of a plant and their panels (orlix-cli site)"},
        {"description",
         "Panel files (.cfg, or .json in the text form) are relative to the site file's folder. "
         "A port is a name as orlix-cli ports lists it, a device path, tcp://HOST:PORT for a "
         "serial device server (RTU bytes over TCP) or mbtcp://HOST:PORT for a Modbus TCP "
         "gateway. No port twice, no address twice on a line, no file for two "
         "panels. Made by orlix-cli schema site."},
        {"type", "object"},
        {"additionalProperties", false},
        {"required", QJsonArray{"lines"}},
        {"properties",
         QJsonObject{{"schema_version", QJsonObject{{"const", 1}}},
                     {"name", Text()},
                     {"lines", QJsonObject{{"type", "array"}, {"minItems", 1}, {"items", line}}}}}};
}
