#include "tcp_bridge.h"

#include <QByteArray>

#include <cerrno>
#include <cstring>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

namespace {

bool Fail(QString* error, const QString& what)
{
    if (error)
        *error = what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
    return false;
}

void CloseFd(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

// Writes all of `n` bytes to a non-blocking descriptor; false when it failed.
bool WriteAll(int fd, const char* data, ssize_t n)
{
    while (n > 0) {
        const ssize_t w = ::write(fd, data, size_t(n));
        if (w < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, 100);
            continue;
        }
        if (w <= 0)
            return false;
        data += w;
        n -= w;
    }
    return true;
}

}  // namespace

TcpBridge::~TcpBridge()
{
    Stop();
}

bool TcpBridge::Start(const QString& hostPort, const QString& devicePath, QString* error)
{
    const qsizetype colon = hostPort.lastIndexOf(QLatin1Char(':'));
    bool ok = false;
    const int port = hostPort.mid(colon + 1).toInt(&ok);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(uint16_t(port));
    if (colon <= 0 || !ok || port < 0 || port > 65535 ||
        ::inet_pton(AF_INET, hostPort.left(colon).toLatin1().constData(), &address.sin_addr) != 1) {
        if (error)
            *error = QStringLiteral("--listen takes IPv4-ADDRESS:PORT, e.g. 127.0.0.1:5020");
        return false;
    }
    m_device = ::open(devicePath.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_device < 0)
        return Fail(error, devicePath);
    termios tio{};
    ::tcgetattr(m_device, &tio);
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD | CSTOPB;
    ::cfsetspeed(&tio, B9600);
    ::tcsetattr(m_device, TCSANOW, &tio);
    m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    ::setsockopt(m_listen, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (m_listen < 0 || ::bind(m_listen, reinterpret_cast<sockaddr*>(&address), sizeof address) ||
        ::listen(m_listen, 4)) {
        Fail(error, hostPort);
        Stop();
        return false;
    }
    socklen_t len = sizeof address;
    ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&address), &len);
    m_port = ntohs(address.sin_port);
    if (::pipe2(m_wake, O_CLOEXEC) != 0) {
        Fail(error, QStringLiteral("pipe"));
        Stop();
        return false;
    }
    m_thread = std::thread([this] { Serve(); });
    return true;
}

void TcpBridge::Stop()
{
    if (m_thread.joinable()) {
        const char stop = 's';
        (void)!::write(m_wake[1], &stop, 1);
        m_thread.join();
    }
    CloseFd(m_listen);
    CloseFd(m_device);
    CloseFd(m_wake[0]);
    CloseFd(m_wake[1]);
}

void TcpBridge::Serve()
{
    int client = -1;
    char buffer[512];
    for (;;) {
        pollfd fds[3] = {{m_wake[0], POLLIN, 0},
                         {client >= 0 ? client : m_listen, POLLIN, 0},
                         {m_device, POLLIN, 0}};
        if (::poll(fds, 3, -1) < 0 && errno != EINTR)
            break;
        if (fds[0].revents)
            break;
        if (fds[1].revents && client < 0) {
            client = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        } else if (fds[1].revents) {
            const ssize_t n = ::read(client, buffer, sizeof buffer);
            if (n > 0)
                WriteAll(m_device, buffer, n);
            else if (n == 0 || (errno != EAGAIN && errno != EINTR))
                CloseFd(client);  // the next client may come
        }
        if (fds[2].revents & POLLIN) {
            const ssize_t n = ::read(m_device, buffer, sizeof buffer);
            if (n > 0 && client >= 0)
                WriteAll(client, buffer, n);
        }
    }
    CloseFd(client);
}
