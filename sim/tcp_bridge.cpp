#include "tcp_bridge.h"

#include "line_behaviour.h"
#include "rtu_answer.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
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

qint64 NowUs()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

// The bridge's side of the line runs at 9600 baud with two stop bits.
const qint64 LineSilenceUs = LineTiming::FrameSilenceUs(9600, true);
// The longest gap let pass inside an answer still short of its known length.
constexpr qint64 LongGapUs = 50'000;

qint64 Earliest(qint64 a, qint64 b)
{
    if (a < 0)
        return b;
    if (b < 0)
        return a;
    return std::min(a, b);
}

}  // namespace

TcpBridge::~TcpBridge()
{
    Stop();
}

bool TcpBridge::Start(const QString& hostPort, const QString& devicePath, QString* error,
                      const BridgeOptions& options)
{
    Stop();
    m_options = options;
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
    m_toLine.SetDelayUs(qint64(m_options.DelayMs) * 1000);
    m_toClient.SetDelayUs(qint64(m_options.DelayMs) * 1000);
    char buffer[512];
    for (;;) {
        const qint64 deadlineUs = NextDeadlineUs();
        timespec wait{};
        if (deadlineUs >= 0) {
            const qint64 leftUs = std::max<qint64>(0, deadlineUs - NowUs());
            wait.tv_sec = time_t(leftUs / 1'000'000);
            wait.tv_nsec = long(leftUs % 1'000'000) * 1000;
        }
        pollfd fds[3] = {{m_wake[0], POLLIN, 0},
                         {m_client >= 0 ? m_client : m_listen, POLLIN, 0},
                         {m_device, POLLIN, 0}};
        if (::ppoll(fds, 3, deadlineUs >= 0 ? &wait : nullptr, nullptr) < 0 && errno != EINTR)
            break;
        if (fds[0].revents)
            break;
        if (fds[1].revents && m_client < 0) {
            m_client = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        } else if (fds[1].revents) {
            const ssize_t n = ::read(m_client, buffer, sizeof buffer);
            if (n > 0)
                m_toLine.Push(QByteArray(buffer, int(n)), NowUs());
            else if (n == 0 || (errno != EAGAIN && errno != EINTR))
                ResetClient();  // the next client may come
        }
        if (fds[2].revents & POLLIN) {
            const ssize_t n = ::read(m_device, buffer, sizeof buffer);
            if (n > 0)
                FromLine(QByteArray(buffer, int(n)), NowUs());
        }
        for (const QByteArray& bytes : m_toLine.TakeDue(NowUs()))
            FromNetwork(bytes, NowUs());
        if (m_options.Mbap)
            RunExchanges(NowUs());
        for (const QByteArray& bytes : m_toClient.TakeDue(NowUs())) {
            if (m_client >= 0)
                WriteAll(m_client, bytes.constData(), bytes.size());
        }
    }
    ResetClient();
}

void TcpBridge::ResetClient()
{
    CloseFd(m_client);
    m_toLine.Clear();
    m_toClient.Clear();
    m_units.clear();
    m_requests.clear();
    m_exchange = {};
}

qint64 TcpBridge::NextDeadlineUs() const
{
    qint64 deadline = Earliest(m_toLine.NextDueUs(), m_toClient.NextDueUs());
    if (m_exchange.Active) {
        deadline = Earliest(deadline, m_exchange.DeadlineUs);
        if (!m_exchange.Answer.isEmpty()) {
            const bool shortOfLength =
                RtuAnswer::KnownLength(m_exchange.Answer) > m_exchange.Answer.size();
            deadline = Earliest(
                deadline, m_exchange.LastByteUs + (shortOfLength ? LongGapUs : LineSilenceUs));
        }
    }
    return deadline;
}

void TcpBridge::FromNetwork(const QByteArray& bytes, qint64 nowUs)
{
    Q_UNUSED(nowUs);
    if (!m_options.Mbap) {
        WriteToLine(bytes);
        return;
    }
    m_units.append(bytes);
    for (;;) {
        const Mbap::Parsed unit = Mbap::TakeUnit(m_units);
        switch (unit.State) {
            case Mbap::Parsed::Status::NeedMore: return;
            case Mbap::Parsed::Status::Close:
                // Nothing after an impossible length can be found again.
                ResetClient();
                return;
            case Mbap::Parsed::Status::Request: m_requests << unit; break;
            case Mbap::Parsed::Status::Skip: break;
        }
        m_units.remove(0, unit.Consumed);
    }
}

void TcpBridge::FromLine(QByteArray bytes, qint64 nowUs)
{
    if (!m_echoLeft.isEmpty()) {
        qsizetype same = 0;
        while (same < bytes.size() && same < m_echoLeft.size() && bytes[same] == m_echoLeft[same])
            ++same;
        if (same < bytes.size() && same < m_echoLeft.size())
            m_echoLeft.clear();  // not the echo after all
        else
            m_echoLeft.remove(0, same);
        bytes.remove(0, same);
    }
    if (bytes.isEmpty())
        return;
    if (!m_options.Mbap) {
        if (m_client >= 0)
            m_toClient.Push(bytes, nowUs);
        return;
    }
    if (!m_exchange.Active)
        return;  // nobody asked: noise or a late answer
    m_exchange.Answer.append(bytes);
    m_exchange.LastByteUs = nowUs;
}

void TcpBridge::WriteToLine(const QByteArray& bytes)
{
    if (m_options.LineEchoes)
        m_echoLeft.append(bytes);
    WriteAll(m_device, bytes.constData(), bytes.size());
}

void TcpBridge::RunExchanges(qint64 nowUs)
{
    for (;;) {
        if (m_exchange.Active) {
            const QByteArray& answer = m_exchange.Answer;
            const int known = RtuAnswer::KnownLength(answer);
            QByteArray frame;
            // An answer whose length is known is let finish across a gap of a
            // busy host; others end at the line's silence.
            const qint64 silenceUs =
                known > answer.size() ? std::max(LineSilenceUs, LongGapUs) : LineSilenceUs;
            if (known > 0 && answer.size() >= known && RtuAnswer::Intact(answer.left(known)))
                frame = answer.left(known);
            else if (!answer.isEmpty() && nowUs - m_exchange.LastByteUs >= silenceUs)
                frame = answer;
            else if (nowUs < m_exchange.DeadlineUs)
                return;  // the answer may still come
            if (RtuAnswer::Intact(frame)) {
                m_toClient.Push(Mbap::AnswerUnit(m_exchange.Transaction, frame), nowUs);
            } else if (answer.isEmpty()) {
                // Nobody answered on the line: the gateway says so.
                constexpr char TargetSilent = 0x0B;
                QByteArray silent;
                silent.append(char(m_exchange.Unit));
                silent.append(char(m_exchange.Function | 0x80));
                silent.append(TargetSilent);
                silent.append(2, '\0');  // the CRC, which the unit leaves out
                m_toClient.Push(Mbap::AnswerUnit(m_exchange.Transaction, silent), nowUs);
            }
            m_exchange = {};
            m_echoLeft.clear();
        }
        if (m_requests.isEmpty())
            return;
        const Mbap::Parsed request = m_requests.takeFirst();
        m_exchange.Active = true;
        m_exchange.Transaction = request.Transaction;
        m_exchange.Unit = uint8_t(request.RtuFrame.size() > 0 ? request.RtuFrame[0] : 0);
        m_exchange.Function = uint8_t(request.RtuFrame.size() > 1 ? request.RtuFrame[1] : 0);
        m_exchange.DeadlineUs = nowUs + qint64(AnswerTimeoutMs) * 1000;
        WriteToLine(request.RtuFrame);
    }
}
