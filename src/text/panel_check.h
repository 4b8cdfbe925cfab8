#pragma once

#include "link/panel_programming.h"
#include "text/config_fields.h"

#include <QJsonObject>
#include <QStringList>

#include <optional>

// A panel's read-back in the field table's terms: which fields of blocks
// 0..6 the panel holds otherwise than the file, and the first differing
// byte. verify, write --verify and a site's verify all name differences so.
struct ReadBackReport {
    bool Verified = false;
    std::optional<int> FirstOffset;  // image offset of the first differing byte
    uint8_t PanelByte = 0;
    uint8_t FileByte = 0;
    QList<FieldDifference> Differences;  // A the panel's value, B the file's
};

ReadBackReport NameReadBack(const PanelResult& result);

// verify of one panel: VerifyPanel and its read-back named.
struct PanelCheck {
    PanelResult Result;
    ReadBackReport ReadBack;
};
PanelCheck VerifyPanelFields(PanelLink& link, const LinkSettings& settings,
                             const ConfigImage& image, int family);

// A difference as JSON: path, label, block, offset in the block, and each
// side's value (as the text form gives it) and text under `a` and `b`
// ("panel", "panel_text", "file", "file_text").
QJsonObject FieldDifferenceJson(const FieldDifference& d, const QString& a, const QString& b);
// Adds "verified", "first_difference" ({block, offset, panel, file, text}
// or null) and, after a read-back, "differences".
void InsertReadBackJson(const ReadBackReport& report, QJsonObject& json);
// "блок 2, байт 1 (Вход 12: тип контакта): панель 0x00, файл 0x08", or
// empty when nothing differs.
QString FirstDifferenceText(const ReadBackReport& report);
// A line per differing field: "  Вход 12: тип контакта: панель Н.Р., файл Н.З.".
QStringList ReadBackLines(const ReadBackReport& report);
