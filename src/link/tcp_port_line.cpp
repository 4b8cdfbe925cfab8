#include "link/tcp_port_line.h"

#include "link/serial_port_line.h"

#include <QRegularExpression>
#include <QThread>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

QString SystemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

int RemainingMs(const QDeadlineTimer& deadline)
{
    return int(std::max<qint64>(0, deadline.remainingTime()));
}

}  // namespace

TcpPortLine::~TcpPortLine()
{
    Close();
}

bool TcpPortLine::IsTcpPath(const QString& path)
{
    return path.startsWith(QLatin1String("tcp://"));
}

bool TcpPortLine::Fail(const QString& reason)
{
    m_error = m_path + QStringLiteral(": ") + reason;
    return false;
}

bool TcpPortLine::Open(const QString& path, const LineSettings& settings)
{
    Close();
    m_path = path;
    m_settings = settings;
    static const QRegularExpression Form(
        QStringLiteral(R"(^tcp://(\[[^\]]+\]|[^:/]+):(\d{1,5})$)"));
    const auto m = Form.match(path);
    if (!m.hasMatch() || m.captured(2).toInt() < 1 || m.captured(2).toInt() > 65535)
        return Fail(QStringLiteral("ожидается tcp://УЗЕЛ:ПОРТ"));
    QString host = m.captured(1);
    if (host.startsWith(QLatin1Char('[')))
        host = host.mid(1, host.size() - 2);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int rc = ::getaddrinfo(host.toUtf8().constData(), m.captured(2).toLatin1().constData(),
                                 &hints, &found);
    if (rc != 0)
        return Fail(QString::fromLocal8Bit(::gai_strerror(rc)));
    int error = ECONNREFUSED;
    for (addrinfo* a = found; a && m_fd < 0; a = a->ai_next) {
        const int fd =
            ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) {
            error = errno;
            continue;
        }
        if (::connect(fd, a->ai_addr, a->ai_addrlen) != 0 && errno != EINPROGRESS) {
            error = errno;
            ::close(fd);
            continue;
        }
        pollfd p{fd, POLLOUT, 0};
        const int ready = ::poll(&p, 1, ConnectTimeoutMs);
        int soError = ETIMEDOUT;
        socklen_t len = sizeof soError;
        if (ready > 0)
            ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &len);
        if (soError != 0) {
            error = soError;
            ::close(fd);
            continue;
        }
        const int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        m_fd = fd;
    }
    ::freeaddrinfo(found);
    if (m_fd < 0)
        return Fail(SystemReason(error));
    m_error.clear();
    return true;
}

void TcpPortLine::Close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

void TcpPortLine::Purge()
{
    uint8_t scrap[256];
    while (m_fd >= 0 && ::recv(m_fd, scrap, sizeof scrap, MSG_DONTWAIT) > 0) {
    }
}

int64_t TcpPortLine::Write(const uint8_t* data, int64_t count, const QDeadlineTimer& deadline)
{
    int64_t done = 0;
    while (m_fd >= 0 && done < count) {
        const ssize_t n = ::send(m_fd, data + done, size_t(count - done), MSG_NOSIGNAL);
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            Fail(SystemReason(errno));
            return -1;
        }
        pollfd p{m_fd, POLLOUT, 0};
        if (::poll(&p, 1, RemainingMs(deadline)) <= 0)
            break;
    }
    // The server puts the frame on its serial line at the line's rate.
    const int baud = std::max(m_settings.BaudRate, 1);
    m_lineTimeUs = done * BitsPerChar(m_settings) * 1000000 / baud;
    m_sent.start();
    return done;
}

bool TcpPortLine::WaitSent(const QDeadlineTimer& deadline)
{
    const qint64 leftUs = m_lineTimeUs - m_sent.nsecsElapsed() / 1000;
    if (leftUs <= 0)
        return true;
    if (leftUs / 1000 > deadline.remainingTime())
        return false;
    QThread::usleep(static_cast<unsigned long>(leftUs));
    return true;
}

PortLine::ReadResult TcpPortLine::Read(uint8_t* data, int64_t max)
{
    ReadResult r;
    if (m_fd < 0) {
        r.Failed = true;
        return r;
    }
    const ssize_t n = ::recv(m_fd, data, size_t(max), MSG_DONTWAIT);
    if (n > 0) {
        r.Count = n;
    } else if (n == 0) {
        r.Failed = true;
        Fail(QStringLiteral("соединение закрыто"));
    } else if (errno != EAGAIN && errno != EINTR) {
        r.Failed = true;
        Fail(SystemReason(errno));
    }
    return r;
}

bool TcpPortLine::WaitReadable(const QDeadlineTimer& deadline)
{
    if (m_fd < 0)
        return false;
    pollfd p{m_fd, POLLIN, 0};
    // A closed or failed connection counts as readable: the read names it.
    return ::poll(&p, 1, RemainingMs(deadline)) > 0;
}

std::unique_ptr<PortLine> MakePortLine(const QString& path)
{
    if (TcpPortLine::IsTcpPath(path))
        return std::make_unique<TcpPortLine>();
    return std::make_unique<SerialPortLine>();
}
