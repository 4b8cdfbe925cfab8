#pragma once

#include <QList>
#include <QString>

// One panel of a site as its index page lists it.
struct SiteIndexRow {
    QString Name;  // may be empty
    int Line = 1;  // 1-based, in site order
    QString Port;
    int Address = 1;
    QString File;    // the panel's configuration file, as shown
    QString Report;  // the report's file name beside the index; empty: none made
    QString Error;   // why there is no report
};

// The index page of a site report: a self-contained HTML document in the
// report's style with a table of name, line, address, file and a link to
// each panel's report (or the reason it has none).
QString SiteIndexHtml(const QString& siteName, const QList<SiteIndexRow>& rows);
