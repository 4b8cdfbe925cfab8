#pragma once

#include "report/config_report.h"

#include <memory>

class QPrinter;
class QTextDocument;

// The report as Qt prints it: the same HTML, the front panel drawn as an
// image of the same window boxes (a text document shows no SVG).
std::unique_ptr<QTextDocument> ReportDocument(const ReportSource& source);

// The page the report is printed on: A4 portrait, the document's title as
// the print job's name.
void SetUpReportPrinter(QPrinter& printer, const QTextDocument& document);
