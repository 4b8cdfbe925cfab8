#pragma once

#include "model/serial_settings.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>

// A site: its RS-485 lines, each with its port, line settings and panels.
struct SitePanel {
    uint8_t Address = 1;
    QString File;  // resolved against the site file's folder
    QString Name;  // may be empty
};

struct SiteLine {
    QString Port;  // a port name, a device path or tcp://HOST:PORT
    SerialSettings Line;
    QList<SitePanel> Panels;
};

struct Site {
    QList<SiteLine> Lines;
};

struct SiteParse {
    Site Value;
    QString Error;  // the first fault, with its path: "lines[2].panels[1].address: ..."
};

// A site file's text; panel files are taken relative to `folder`. Unknown
// keys, a port used by two lines, an address twice on a line and a file
// named by two panels are faults.
SiteParse ParseSite(const QByteArray& text, const QString& folder);
