#pragma once

#include "model/config_image.h"

#include <QDateTime>
#include <QString>

#include <cstdint>

// What a report is made of: a configuration and where it came from.
struct ReportSource {
    ConfigImage Image{};
    int32_t FamilyCode = 0;
    QString FileName;   // as shown; empty: a configuration not kept in a file
    QDateTime SavedAt;  // the file's own save time; invalid: none known
};

// How the front panel is drawn: inline SVG for a browser, or an image
// named FrontPanelImageName that the printing document supplies (Qt's
// text document shows no SVG).
enum class PanelDrawing { Svg, Image };
inline constexpr char FrontPanelImageName[] = "orlix-report:front-panel";

// The configuration as one self-contained, well-formed HTML document in
// Russian, laid out for A4: the file, its save time and model; the device
// and Modbus settings; the 64 inputs; the front panel; the eight outputs;
// the external network tables. The same source gives the same text: the
// report holds no time of its making. Every value is the field table's.
QString ConfigReportHtml(const ReportSource& source, PanelDrawing drawing = PanelDrawing::Svg);

// A whole report document in the report's style (inline CSS, no scripts)
// around `body`, which is HTML; `title` is plain text.
QString ReportDocument(const QString& title, const QString& body);
