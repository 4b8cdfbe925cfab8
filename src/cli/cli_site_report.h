#pragma once

#include "site/site_file.h"

#include <QString>
#include <QTextStream>

// site SITE.json report -o DIR: the report of each panel's file and an
// index.html listing the panels, in DIR (made when missing). Files only,
// no line is opened. A panel whose file is refused gets its message in the
// index and on `err`, the others are still written; then 1, else 0.
int RunSiteReport(const Site& site, const QString& sitePath, const QString& dir, QTextStream& err);
