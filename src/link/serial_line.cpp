#include "link/serial_line.h"

#include <QFile>
#include <QStringList>

#include <linux/serial.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>

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

bool WaitOutputSent(int fd, const QDeadlineTimer& deadline, int charTimeUs)
{
    for (;;) {
        int queued = 0;
        if (::ioctl(fd, TIOCOUTQ, &queued) != 0)
            return Drain(fd);  // no way to watch the queue: wait for the driver
        if (queued <= 0)
            break;
        if (deadline.hasExpired())
            return false;
        // Sleep about as long as the queued characters need, briefly enough
        // to notice the end soon.
        const qint64 leftUs = deadline.remainingTimeNSecs() / 1000;
        const qint64 needUs = qint64(queued) * std::max(charTimeUs, 1);
        ::usleep(useconds_t(std::clamp<qint64>(needUs, 200, std::min<qint64>(leftUs, 20000))));
    }
    // The queue is empty: what remains is the transmitter's last character.
    return Drain(fd);
}

bool SetLowLatency(int fd, bool* changed)
{
    if (changed)
        *changed = false;
    serial_struct ss{};
    if (::ioctl(fd, TIOCGSERIAL, &ss) != 0)
        return false;
    if (ss.flags & ASYNC_LOW_LATENCY)
        return true;
    ss.flags |= ASYNC_LOW_LATENCY;
    if (::ioctl(fd, TIOCSSERIAL, &ss) != 0 || ::ioctl(fd, TIOCGSERIAL, &ss) != 0 ||
        !(ss.flags & ASYNC_LOW_LATENCY))
        return false;
    if (changed)
        *changed = true;
    return true;
}

void ClearLowLatency(int fd)
{
    serial_struct ss{};
    if (::ioctl(fd, TIOCGSERIAL, &ss) != 0 || !(ss.flags & ASYNC_LOW_LATENCY))
        return;
    ss.flags &= ~ASYNC_LOW_LATENCY;
    ::ioctl(fd, TIOCSSERIAL, &ss);
}

bool SetRts(int fd, bool on)
{
    int bits = TIOCM_RTS;
    return ::ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &bits) == 0;
}

bool SetInputParityChecking(int fd, bool on, QString* reason)
{
    auto fail = [reason] {
        if (reason)
            *reason = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    };
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0)
        return fail();
    if (on) {
        tio.c_iflag |= INPCK | PARMRK;
        tio.c_iflag &= ~tcflag_t(IGNPAR | ISTRIP);
    } else {
        tio.c_iflag &= ~tcflag_t(INPCK | PARMRK);
    }
    if (::tcsetattr(fd, TCSANOW, &tio) != 0)
        return fail();
    termios now{};
    if (::tcgetattr(fd, &now) != 0)
        return fail();
    const tcflag_t mask = INPCK | PARMRK | IGNPAR | ISTRIP;
    if ((now.c_iflag & mask) != (tio.c_iflag & mask)) {
        errno = EINVAL;
        return fail();
    }
    return true;
}

bool IsPermissionDenied(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    if (::access(native.constData(), R_OK | W_OK) == 0)
        return false;
    return errno == EACCES;
}

}  // namespace SerialLine
