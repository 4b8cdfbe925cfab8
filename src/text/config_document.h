#pragma once

#include "model/config_image.h"

#include <QJsonObject>

// The one version of every JSON document orlix-cli writes; raised when a
// key changes meaning or goes away.
constexpr int JsonSchemaVersion = 1;

// A configuration as a JSON object made from the field table: each path
// ("inputs[12].contact") becomes nested objects and arrays numbered from 1
// ("inputs": [{"number": 1, ...}, ...]); values are numbers (flags are
// booleans); a field with value names also gets "<key>_text" with the
// page's Russian text and "<key>_name" with its English name. Beside the
// fields: "family", "family_text", "model" (null when the bytes name no
// model) and "blocks", the payload of each block 0..9 in hex.
QJsonObject ConfigDocument(const ConfigImage& image, int32_t familyCode);

// What export writes: {"schema_version", "command": "export",
// "configuration"}, the configuration as ConfigDocument gives it but
// without "blocks" (the fields alone are the text to edit and review).
QJsonObject ConfigExportDocument(const ConfigImage& image, int32_t familyCode);
