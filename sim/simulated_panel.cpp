#include "simulated_panel.h"

#include "link/block_crc.h"
#include "request_framer.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace {

qint64 NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Two answers on the line at once: the drivers fight and the receiver gets
// neither. Each bit is low where either sender drives it low, the second
// half a character behind the first.
QByteArray CollidedFrames(const QByteArray& a, const QByteArray& b)
{
    QByteArray out(std::max(a.size(), b.size()), char(0xFF));
    for (qsizetype i = 0; i < out.size(); ++i) {
        const uint8_t x = i < a.size() ? uint8_t(a[i]) : 0xFF;
        const uint8_t now = i < b.size() ? uint8_t(b[i]) : 0xFF;
        const uint8_t before = i > 0 && i - 1 < b.size() ? uint8_t(b[i - 1]) : 0xFF;
        out[i] = char(x & uint8_t((now << 4) | (before >> 4)));
    }
    return out;
}

qint64 NowUs()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

SimulatedPanel::SimulatedPanel() = default;

SimulatedPanel::~SimulatedPanel()
{
    Stop();
}

bool SimulatedPanel::Start(QString* error)
{
    Stop();
    if (!m_pty.Open(error))
        return false;
    if (::pipe2(m_wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        if (error)
            *error = QStringLiteral("pipe: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        m_pty.Close();
        return false;
    }
    m_stop = false;
    m_thread = std::thread([this] { Serve(); });
    return true;
}

void SimulatedPanel::Stop()
{
    if (m_thread.joinable()) {
        m_stop = true;
        const char byte = 0;
        [[maybe_unused]] const ssize_t n = ::write(m_wake[1], &byte, 1);
        m_thread.join();
    }
    for (int& fd : m_wake) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
    m_pty.Close();
}

QString SimulatedPanel::DevicePath() const
{
    return m_pty.SlavePath();
}

void SimulatedPanel::SetFrameLogger(FrameLogger logger)
{
    std::lock_guard lock(m_mutex);
    m_logger = std::move(logger);
}

void SimulatedPanel::Serve()
{
    RequestFramer framer;
    QList<Scheduled> scheduled;
    while (!m_stop) {
        int timeout = -1;
        if (!scheduled.isEmpty())
            timeout = int(std::max<qint64>(0, scheduled.first().DueMs - NowMs()));
        pollfd fds[2] = {{m_pty.MasterFd(), POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        const int rc = ::poll(fds, 2, timeout);
        if (rc < 0 && errno != EINTR)
            break;
        if (m_stop)
            break;
        const qint64 now = NowMs();
        if (rc > 0 && (fds[0].revents & POLLIN))
            HandleInput(now, framer, scheduled);
        else if (rc > 0 && (fds[0].revents & (POLLHUP | POLLERR)))
            ::usleep(10000);  // nobody on the line: do not spin
        SendDue(NowMs(), scheduled);
    }
}

void SimulatedPanel::HandleInput(qint64 nowMs, RequestFramer& framer, QList<Scheduled>& scheduled)
{
    char chunk[512];
    for (;;) {
        const ssize_t n = ::read(m_pty.MasterFd(), chunk, sizeof chunk);
        if (n <= 0)
            break;
        framer.Feed(QByteArray(chunk, int(n)), nowMs);
    }
    while (const auto frame = framer.Next()) {
        int baudRate = 0;
        bool twoStopBits = false;
        const bool lineKnown = m_pty.LineSettings(baudRate, twoStopBits);
        QList<PanelAnswer> answers;
        {
            std::lock_guard lock(m_mutex);
            m_requests << *frame;
            m_timeline << TimedFrame{Direction::Request, *frame, NowUs()};
            // Every panel on the line hears the request; those that listen
            // at the line's settings and are addressed answer, together.
            for (PanelResponder& responder : m_panels) {
                if (!lineKnown || !responder.Listens(baudRate, twoStopBits))
                    continue;
                const PanelAnswer one = responder.Respond(*frame);
                if (one.Send || one.Vanish)
                    answers << one;
            }
        }
        m_changed.notify_all();
        Log(Direction::Request, *frame);
        if (answers.isEmpty())
            continue;
        PanelAnswer answer = answers.first();
        if (answer.Vanish) {
            // Both ends the panel holds go: the tool's side of the line is dead.
            m_pty.Close();
            scheduled.clear();
            return;
        }
        for (const PanelAnswer& other : answers.mid(1))
            answer.Bytes = CollidedFrames(answer.Bytes, other.Bytes);
        const Scheduled item{nowMs + answer.DelayMs, answer.Bytes};
        const auto at = std::upper_bound(
            scheduled.begin(), scheduled.end(), item,
            [](const Scheduled& a, const Scheduled& b) { return a.DueMs < b.DueMs; });
        scheduled.insert(at, item);
    }
}

void SimulatedPanel::SendDue(qint64 nowMs, QList<Scheduled>& scheduled)
{
    while (!scheduled.isEmpty() && scheduled.first().DueMs <= nowMs) {
        const QByteArray bytes = scheduled.takeFirst().Bytes;
        {
            std::lock_guard lock(m_mutex);
            m_timeline << TimedFrame{Direction::Answer, bytes, NowUs()};
        }
        Write(bytes);
        Log(Direction::Answer, bytes);
        {
            std::lock_guard lock(m_mutex);
            ++m_answersSent;
        }
        m_changed.notify_all();
    }
}

void SimulatedPanel::Write(const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::write(m_pty.MasterFd(), bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd out{m_pty.MasterFd(), POLLOUT, 0};
            ::poll(&out, 1, 100);
        } else {
            return;  // the line is gone
        }
    }
}

void SimulatedPanel::Log(Direction direction, const QByteArray& frame) const
{
    FrameLogger logger;
    {
        std::lock_guard lock(m_mutex);
        logger = m_logger;
    }
    if (logger)
        logger(direction, frame);
}

void SimulatedPanel::SetAddress(uint8_t address)
{
    std::lock_guard lock(m_mutex);
    m_panels[0].SetAddress(address);
}

void SimulatedPanel::SetFamily(int family)
{
    std::lock_guard lock(m_mutex);
    m_panels[0].Identity().Ident = PanelResponder::FamilyIdent(family);
}

void SimulatedPanel::SetIdentBytes(const std::array<uint8_t, 4>& ident)
{
    std::lock_guard lock(m_mutex);
    m_panels[0].Identity().Ident = ident;
}

void SimulatedPanel::SetFirmware(uint8_t major, uint8_t minor)
{
    std::lock_guard lock(m_mutex);
    m_panels[0].Identity().FirmwareMajor = major;
    m_panels[0].Identity().FirmwareMinor = minor;
}

void SimulatedPanel::SetHardwareRevision(uint8_t revision)
{
    std::lock_guard lock(m_mutex);
    m_panels[0].Identity().HardwareRevision = revision;
}

void SimulatedPanel::SetLineSettings(int baudRate, bool twoStopBits)
{
    std::lock_guard lock(m_mutex);
    m_panels[0].Identity().BaudRate = baudRate;
    m_panels[0].Identity().TwoStopBits = twoStopBits;
}

bool SimulatedPanel::AddPanelAlike(uint8_t address)
{
    std::lock_guard lock(m_mutex);
    AppendPanel(address);
    return true;
}

PanelIdentity SimulatedPanel::Identity() const
{
    std::lock_guard lock(m_mutex);
    return m_panels[0].Identity();
}

ConfigImage SimulatedPanel::Image() const
{
    std::lock_guard lock(m_mutex);
    return m_panels[0].Image();
}

void SimulatedPanel::SetImage(const ConfigImage& image)
{
    std::lock_guard lock(m_mutex);
    m_panels[0].Image() = image;
}

QByteArray SimulatedPanel::BlockData(int block) const
{
    std::lock_guard lock(m_mutex);
    const auto payload = BlockPayload(m_panels[0].Image(), block);
    return QByteArray(reinterpret_cast<const char*>(payload.data()), qsizetype(payload.size()));
}

void SimulatedPanel::SetBlockData(int block, const QByteArray& payload)
{
    std::lock_guard lock(m_mutex);
    const auto target = BlockPayload(m_panels[0].Image(), block);
    std::fill(target.begin(), target.end(), uint8_t(0));
    std::memcpy(target.data(), payload.constData(),
                std::min(target.size(), size_t(payload.size())));
    StampBlockCrcs(m_panels[0].Image());
}

void SimulatedPanel::AddFault(const PanelFault& fault)
{
    std::lock_guard lock(m_mutex);
    m_panels[0].AddFault(fault);
}

void SimulatedPanel::ClearFaults()
{
    std::lock_guard lock(m_mutex);
    m_panels[0].ClearFaults();
}

QList<QByteArray> SimulatedPanel::Requests() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

QList<SimulatedPanel::TimedFrame> SimulatedPanel::Timeline() const
{
    std::lock_guard lock(m_mutex);
    return m_timeline;
}

void SimulatedPanel::ClearRequests()
{
    std::lock_guard lock(m_mutex);
    m_requests.clear();
    m_timeline.clear();
}

int SimulatedPanel::AnswersSent() const
{
    std::lock_guard lock(m_mutex);
    return m_answersSent;
}

int SimulatedPanel::ApplyCount() const
{
    std::lock_guard lock(m_mutex);
    return m_panels[0].ApplyCount();
}

bool SimulatedPanel::WaitForAnswersSent(int count, int timeoutMs) const
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [&] { return m_answersSent >= count; });
}

bool SimulatedPanel::WaitForRequests(int count, int timeoutMs) const
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [&] { return m_requests.size() >= count; });
}

PanelResponder* SimulatedPanel::PanelAt(uint8_t address)
{
    for (PanelResponder& responder : m_panels) {
        if (responder.Identity().Address == address)
            return &responder;
    }
    return nullptr;
}

const PanelResponder* SimulatedPanel::PanelAt(uint8_t address) const
{
    return const_cast<SimulatedPanel*>(this)->PanelAt(address);
}

void SimulatedPanel::AppendPanel(uint8_t address)
{
    PanelResponder responder;
    responder.Identity() = m_panels[0].Identity();
    responder.SetAddress(address);
    m_panels << responder;
}

bool SimulatedPanel::AddPanel(uint8_t address)
{
    std::lock_guard lock(m_mutex);
    if (PanelAt(address))
        return false;
    AppendPanel(address);
    return true;
}

QList<uint8_t> SimulatedPanel::Addresses() const
{
    std::lock_guard lock(m_mutex);
    QList<uint8_t> out;
    for (const PanelResponder& responder : m_panels)
        out << responder.Identity().Address;
    return out;
}

ConfigImage SimulatedPanel::ImageAt(uint8_t address) const
{
    std::lock_guard lock(m_mutex);
    const PanelResponder* p = PanelAt(address);
    return p ? p->Image() : ConfigImage{};
}

void SimulatedPanel::SetImageAt(uint8_t address, const ConfigImage& image)
{
    std::lock_guard lock(m_mutex);
    if (PanelResponder* p = PanelAt(address))
        p->Image() = image;
}

int SimulatedPanel::ApplyCountAt(uint8_t address) const
{
    std::lock_guard lock(m_mutex);
    const PanelResponder* p = PanelAt(address);
    return p ? p->ApplyCount() : 0;
}

void SimulatedPanel::AddFaultAt(uint8_t address, const PanelFault& fault)
{
    std::lock_guard lock(m_mutex);
    if (PanelResponder* p = PanelAt(address))
        p->AddFault(fault);
}
