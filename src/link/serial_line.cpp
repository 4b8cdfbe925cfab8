#include "link/serial_line.h"

#include <QFile>
#include <QStringList>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>
#include <cerrno>

namespace {

// Unix98 pseudo-terminal slaves (136..143) and the legacy BSD ones (3).
bool IsReservedPtyMajor(unsigned major)
{
    return (major >= 136 && major <= 143) || major == 3;
}

// Parses "136" or "136-143" into a range; false when it is neither.
bool ParseRange(const QString& text, unsigned& low, unsigned& high)
{
    const QStringList parts = text.split(QLatin1Char('-'));
    bool ok1 = false;
    bool ok2 = true;
    low = parts.value(0).toUInt(&ok1);
    high = parts.size() > 1 ? parts.value(1).toUInt(&ok2) : low;
    return parts.size() <= 2 && ok1 && ok2;
}

}  // namespace

namespace SerialLine {

bool IsPseudoTerminalMajor(unsigned major)
{
    QFile drivers(QStringLiteral("/proc/tty/drivers"));
    if (!drivers.open(QIODevice::ReadOnly | QIODevice::Text))
        return IsReservedPtyMajor(major);
    bool listed = false;
    const QStringList lines = QString::fromLatin1(drivers.readAll()).split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        const QStringList fields = line.simplified().split(QLatin1Char(' '));
        // name, node, major(s), minor range, type
        if (fields.size() < 5 || !fields.last().startsWith(QLatin1String("pty:")))
            continue;
        listed = true;
        unsigned low = 0;
        unsigned high = 0;
        if (fields.last() == QLatin1String("pty:slave") && ParseRange(fields[2], low, high) &&
            major >= low && major <= high)
            return true;
    }
    return listed ? false : IsReservedPtyMajor(major);
}

bool IsPseudoTerminal(int fd)
{
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode))
        return false;
    return IsPseudoTerminalMajor(major(st.st_rdev));
}

bool Drain(int fd)
{
    int rc = 0;
    do {
        rc = ::tcdrain(fd);
    } while (rc != 0 && errno == EINTR);
    return rc == 0;
}

bool IsPermissionDenied(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    if (::access(native.constData(), R_OK | W_OK) == 0)
        return false;
    return errno == EACCES;
}

}  // namespace SerialLine
