#pragma once

#include <QString>
#include <QStringList>

// Who holds a serial port, as the UUCP-style lock files tell it
// (/var/lock/LCK..ttyUSB0, /run/lock/...): the program's name and process
// id, e.g. "minicom, PID 1234"; empty when no lock file names a running
// process. `lockFolders` empty: the folders the system uses.
QString PortHolder(const QString& devicePath, const QStringList& lockFolders = {});
