#pragma once

#include "model/config_image.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

// A configuration taken back from its text form: the image (CRC words not
// yet stamped) and the family, or the first fault found, named by its path
// and reason ("inputs[12].contact: ожидается "open" или "closed"").
struct ConfigTextResult {
    ConfigImage Image{};
    int32_t FamilyCode = 0;
    QString Error;
};

// The configuration object of a document (ConfigDocument's shape). Every
// field must be there with a value its bytes can hold; unknown keys are
// faults. The derived keys ("number", "<key>_name", "<key>_text",
// "family_text", "model", "blocks") may be left out; where given, "number",
// "<key>_name" and "blocks" must agree with the fields.
ConfigTextResult ConfigFromDocument(const QJsonObject& configuration);

// The text of a whole document as export and show --json write it:
// "schema_version", "configuration" and optionally "command", "file",
// "file_version".
ConfigTextResult ConfigFromText(const QByteArray& text);

// Sets one field of `image` from "PATH=VALUE" (a path of the document,
// VALUE a number, true/false, or a value name such as "closed"; "family"
// the family code). Empty on success, else the fault; `image` and `family`
// are then untouched.
QString SetConfigField(ConfigImage& image, int32_t& family, const QString& assignment);
