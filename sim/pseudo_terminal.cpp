#include "pseudo_terminal.h"

#include "terminal_speed.h"

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

PseudoTerminal::~PseudoTerminal()
{
    Close();
}

bool PseudoTerminal::Open(QString* error)
{
    Close();
    auto fail = [this, error](const char* what) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(QLatin1String(what),
                                                  QString::fromLocal8Bit(std::strerror(errno)));
        Close();
        return false;
    };
    if (::openpty(&m_master, &m_slave, nullptr, nullptr, nullptr) != 0) {
        m_master = m_slave = -1;
        return fail("openpty");
    }
    char name[128] = {};
    if (::ptsname_r(m_master, name, sizeof name) != 0)
        return fail("ptsname");
    m_slavePath = QString::fromLocal8Bit(name);

    termios tio{};
    if (::tcgetattr(m_slave, &tio) != 0)
        return fail("tcgetattr");
    ::cfmakeraw(&tio);
    ::cfsetspeed(&tio, B9600);
    tio.c_cflag |= CSTOPB;
    if (::tcsetattr(m_slave, TCSANOW, &tio) != 0)
        return fail("tcsetattr");
    for (int fd : {m_master, m_slave})
        ::fcntl(fd, F_SETFD, ::fcntl(fd, F_GETFD) | FD_CLOEXEC);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    return true;
}

void PseudoTerminal::Close()
{
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_master = m_slave = -1;
    m_slavePath.clear();
}

bool PseudoTerminal::LineSettings(int& baudRate, bool& twoStopBits) const
{
    return m_slave >= 0 && TerminalLineSettings(m_slave, baudRate, twoStopBits);
}
