#include "link/network_port_line.h"

#include <QRegularExpression>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <cstring>

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

// SCHEME://HOST:PORT; the host in brackets for an IPv6 address.
const QRegularExpression& NetworkForm()
{
    static const QRegularExpression form(
        QStringLiteral(R"(^(tcp|mbtcp)://(\[[^\]/]+\]|[^:/\[\]]+):(\d{1,5})$)"));
    return form;
}

}  // namespace

NetworkPortLine::NetworkPortLine(QLatin1String scheme) : m_scheme(scheme) {}

NetworkPortLine::~NetworkPortLine()
{
    Close();
}

bool NetworkPortLine::IsNetworkPath(const QString& path)
{
    const auto m = NetworkForm().match(path);
    return m.hasMatch() && m.captured(3).toInt() >= 1 && m.captured(3).toInt() <= 65535;
}

int NetworkPortLine::LatencyForConnect(qint64 connectNs)
{
    // A connection is never made later than its timeout.
    const qint64 twiceNs = 2 * std::clamp<qint64>(connectNs, 0, qint64(ConnectTimeoutMs) * 1000000);
    return int((twiceNs + 999999) / 1000000) + GatewayMarginMs;
}

int NetworkPortLine::LatencyMs() const
{
    return m_fd >= 0 ? LatencyForConnect(m_connectNs) : 0;
}

bool NetworkPortLine::Fail(const QString& reason)
{
    m_error = m_path + QStringLiteral(": ") + reason;
    return false;
}

bool NetworkPortLine::Open(const QString& path, const LineSettings& settings)
{
    Close();
    m_path = path;
    m_settings = settings;
    const auto m = NetworkForm().match(path);
    if (!IsNetworkPath(path) || m.captured(1) != m_scheme)
        return Fail(QStringLiteral("ожидается %1://УЗЕЛ:ПОРТ").arg(m_scheme));
    QString host = m.captured(2);
    if (host.startsWith(QLatin1Char('[')))
        host = host.mid(1, host.size() - 2);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int rc = ::getaddrinfo(host.toUtf8().constData(), m.captured(3).toLatin1().constData(),
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
        QElapsedTimer handshake;
        handshake.start();
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
        m_connectNs = handshake.nsecsElapsed();
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

void NetworkPortLine::Close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_lost = false;
    m_lineTimeUs = 0;
}

int64_t NetworkPortLine::Send(const uint8_t* data, int64_t count, const QDeadlineTimer& deadline)
{
    if (m_lost)
        return -1;  // ErrorText() keeps the first reason
    int64_t done = 0;
    while (m_fd >= 0 && done < count) {
        const ssize_t n = ::send(m_fd, data + done, size_t(count - done), MSG_NOSIGNAL);
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            m_lost = true;
            Fail(SystemReason(errno));
            return -1;
        }
        pollfd p{m_fd, POLLOUT, 0};
        if (::poll(&p, 1, RemainingMs(deadline)) <= 0)
            break;
    }
    return done;
}

void NetworkPortLine::StartLineTime(int64_t count)
{
    const int baud = std::max(m_settings.BaudRate, 1);
    m_lineTimeUs = std::max<int64_t>(0, count) * BitsPerChar(m_settings) * 1000000 / baud;
    m_sent.start();
}

bool NetworkPortLine::WaitSent(const QDeadlineTimer& deadline)
{
    if (!m_sent.isValid())
        return true;
    const qint64 leftUs = m_lineTimeUs - m_sent.nsecsElapsed() / 1000;
    if (leftUs <= 0)
        return true;
    if (leftUs / 1000 > deadline.remainingTime())
        return false;
    QThread::usleep(static_cast<unsigned long>(leftUs));
    return true;
}

PortLine::ReadResult NetworkPortLine::Receive(uint8_t* data, int64_t max)
{
    ReadResult r;
    if (m_fd < 0 || m_lost) {
        r.Failed = true;
        return r;
    }
    const ssize_t n = ::recv(m_fd, data, size_t(std::max<int64_t>(0, max)), MSG_DONTWAIT);
    if (n > 0) {
        r.Count = n;
    } else if (n == 0 && max > 0) {
        r.Failed = m_lost = true;
        Fail(QStringLiteral("соединение закрыто"));
    } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
        r.Failed = m_lost = true;
        Fail(SystemReason(errno));
    }
    return r;
}

bool NetworkPortLine::WaitInput(const QDeadlineTimer& deadline)
{
    if (m_fd < 0)
        return false;
    if (m_lost)
        return true;  // the read names the reason
    pollfd p{m_fd, POLLIN, 0};
    // A closed or failed connection counts as readable: the read names it.
    return ::poll(&p, 1, RemainingMs(deadline)) > 0;
}
