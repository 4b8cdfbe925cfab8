#include "simulated_panel.h"

#include "answer_pacer.h"
#include "model/block_crc.h"
#include "request_framer.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <sys/prctl.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace {

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

void SimulatedPanel::SetLineBehaviour(const LineBehaviour& behaviour)
{
    std::lock_guard lock(m_mutex);
    m_behaviour = behaviour;
}

LineBehaviour SimulatedPanel::Behaviour() const
{
    std::lock_guard lock(m_mutex);
    return m_behaviour;
}

void SimulatedPanel::Serve()
{
    // Answers are paced to tens of microseconds: no slack on the wake-ups.
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    // A UART does not pause in the middle of a frame because the machine is
    // busy: where the system lets us (root, CAP_SYS_NICE), the line's thread
    // runs before ordinary work. It sleeps between bytes, so it takes little.
    sched_param realtime{};
    realtime.sched_priority = sched_get_priority_min(SCHED_FIFO);
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &realtime);
    RequestFramer framer;
    AnswerPacer pacer;
    qint64 answerStartUs = 0;
    while (!m_stop) {
        qint64 deadlineUs = pacer.NextDueUs();
        if (const qint64 silence = framer.SilenceDeadlineUs();
            silence >= 0 && (deadlineUs < 0 || silence < deadlineUs))
            deadlineUs = silence;
        timespec wait{};
        if (deadlineUs >= 0) {
            const qint64 leftUs = std::max<qint64>(0, deadlineUs - NowUs());
            wait.tv_sec = time_t(leftUs / 1'000'000);
            wait.tv_nsec = long(leftUs % 1'000'000) * 1000;
        }
        pollfd fds[2] = {{m_pty.MasterFd(), POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        const int rc = ::ppoll(fds, 2, deadlineUs >= 0 ? &wait : nullptr, nullptr);
        if (rc < 0 && errno != EINTR)
            break;
        if (m_stop)
            break;
        if (rc > 0 && (fds[0].revents & POLLIN))
            ReadInput(framer);
        else if (rc > 0 && (fds[0].revents & (POLLHUP | POLLERR)))
            ::usleep(10000);  // nobody on the line: do not spin
        while (const auto frame = framer.NextFrame(NowUs())) {
            HandleFrame(frame->Bytes, frame->LastUs, frame->FirstUs, pacer);
            if (!m_pty.IsOpen()) {
                pacer.Clear();
                break;
            }
        }
        SendDue(pacer, answerStartUs);
    }
}

void SimulatedPanel::ReadInput(RequestFramer& framer)
{
    int baudRate = 0;
    bool twoStopBits = false;
    if (m_pty.LineSettings(baudRate, twoStopBits))
        framer.SetSilenceUs(LineTiming::FrameSilenceUs(baudRate, twoStopBits));
    const bool echo = Behaviour().Echo;
    char chunk[512];
    for (;;) {
        const ssize_t n = ::read(m_pty.MasterFd(), chunk, sizeof chunk);
        if (n <= 0)
            break;
        const QByteArray bytes(chunk, int(n));
        // An echoing adapter hears its own transmitter: the bytes come back
        // at once, whatever they are.
        if (echo)
            Write(bytes);
        framer.FeedUs(bytes, NowUs());
    }
}

void SimulatedPanel::HandleFrame(const QByteArray& frame, qint64 lastByteUs, qint64 firstByteUs,
                                 AnswerPacer& pacer)
{
    int baudRate = 0;
    bool twoStopBits = false;
    const bool lineKnown = m_pty.LineSettings(baudRate, twoStopBits);
    QList<PanelAnswer> answers;
    LineBehaviour behaviour;
    {
        std::lock_guard lock(m_mutex);
        behaviour = m_behaviour;
        m_requests << frame;
        m_timeline << TimedFrame{Direction::Request, frame, firstByteUs, lastByteUs};
        // Every device on the line hears the request; those that listen
        // at the line's settings and are addressed answer, together.
        for (LineDevice& device : m_devices) {
            if (!lineKnown || !device.Listens(baudRate, twoStopBits))
                continue;
            const PanelAnswer one = device.Respond(frame);
            if (one.Send || one.Vanish)
                answers << one;
        }
    }
    m_changed.notify_all();
    Log(Direction::Request, frame);
    if (answers.isEmpty())
        return;
    PanelAnswer answer = answers.first();
    if (answer.Vanish) {
        // Both ends the panel holds go: the tool's side of the line is dead.
        m_pty.Close();
        return;
    }
    for (const PanelAnswer& other : answers.mid(1))
        answer.Bytes = CollidedFrames(answer.Bytes, other.Bytes);
    qint64 stepNs = qint64(behaviour.GapUs) * 1000;
    if (behaviour.Paced && lineKnown)
        stepNs += LineTiming::CharTimeNs(baudRate, twoStopBits);
    pacer.Add(answer.Bytes, lastByteUs + behaviour.TurnaroundUs + qint64(answer.DelayMs) * 1000,
              stepNs);
}

void SimulatedPanel::SendDue(AnswerPacer& pacer, qint64& answerStartUs)
{
    for (const AnswerPacer::Chunk& chunk : pacer.TakeDue(NowUs())) {
        const qint64 atUs = NowUs();
        if (chunk.First)
            answerStartUs = atUs;
        Write(chunk.Bytes);
        if (!chunk.Last)
            continue;
        {
            std::lock_guard lock(m_mutex);
            m_timeline << TimedFrame{Direction::Answer, chunk.Answer, answerStartUs, atUs};
            ++m_answersSent;
        }
        m_changed.notify_all();
        Log(Direction::Answer, chunk.Answer);
    }
}

void SimulatedPanel::Write(const QByteArray& bytes)
{
    qsizetype done = 0;
    // A tool that never reads fills the line's buffer: give up when stopped.
    while (done < bytes.size() && m_pty.IsOpen() && !m_stop) {
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
    FirstPanel().SetAddress(address);
}

void SimulatedPanel::SetFamily(int family)
{
    std::lock_guard lock(m_mutex);
    FirstPanel().Identity().Ident = PanelResponder::FamilyIdent(family);
}

void SimulatedPanel::SetIdentBytes(const std::array<uint8_t, 4>& ident)
{
    std::lock_guard lock(m_mutex);
    FirstPanel().Identity().Ident = ident;
}

void SimulatedPanel::SetFirmware(uint8_t major, uint8_t minor)
{
    std::lock_guard lock(m_mutex);
    FirstPanel().Identity().FirmwareMajor = major;
    FirstPanel().Identity().FirmwareMinor = minor;
}

void SimulatedPanel::SetHardwareRevision(uint8_t revision)
{
    std::lock_guard lock(m_mutex);
    FirstPanel().Identity().HardwareRevision = revision;
}

void SimulatedPanel::SetLineSettings(int baudRate, bool twoStopBits)
{
    std::lock_guard lock(m_mutex);
    FirstPanel().Identity().BaudRate = baudRate;
    FirstPanel().Identity().TwoStopBits = twoStopBits;
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
    return FirstPanel().Identity();
}

ConfigImage SimulatedPanel::Image() const
{
    std::lock_guard lock(m_mutex);
    return FirstPanel().Image();
}

void SimulatedPanel::SetImage(const ConfigImage& image)
{
    std::lock_guard lock(m_mutex);
    FirstPanel().Image() = image;
}

QByteArray SimulatedPanel::BlockData(int block) const
{
    std::lock_guard lock(m_mutex);
    const auto payload = BlockPayload(FirstPanel().Image(), block);
    return QByteArray(reinterpret_cast<const char*>(payload.data()), qsizetype(payload.size()));
}

void SimulatedPanel::SetBlockData(int block, const QByteArray& payload)
{
    std::lock_guard lock(m_mutex);
    const auto target = BlockPayload(FirstPanel().Image(), block);
    std::fill(target.begin(), target.end(), uint8_t(0));
    std::memcpy(target.data(), payload.constData(),
                std::min(target.size(), size_t(payload.size())));
    StampBlockCrcs(FirstPanel().Image());
}

void SimulatedPanel::AddFault(const PanelFault& fault)
{
    std::lock_guard lock(m_mutex);
    FirstPanel().AddFault(fault);
}

void SimulatedPanel::ClearFaults()
{
    std::lock_guard lock(m_mutex);
    FirstPanel().ClearFaults();
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
    return FirstPanel().ApplyCount();
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
    for (LineDevice& device : m_devices) {
        if (PanelResponder* panel = device.Panel(); panel && device.Address() == address)
            return panel;
    }
    return nullptr;
}

const PanelResponder* SimulatedPanel::PanelAt(uint8_t address) const
{
    return const_cast<SimulatedPanel*>(this)->PanelAt(address);
}

bool SimulatedPanel::AddressTaken(uint8_t address) const
{
    return std::any_of(m_devices.begin(), m_devices.end(),
                       [address](const LineDevice& device) { return device.Address() == address; });
}

PanelResponder& SimulatedPanel::FirstPanel()
{
    for (LineDevice& device : m_devices) {
        if (PanelResponder* panel = device.Panel())
            return *panel;
    }
    return m_offLine;
}

const PanelResponder& SimulatedPanel::FirstPanel() const
{
    return const_cast<SimulatedPanel*>(this)->FirstPanel();
}

void SimulatedPanel::AppendPanel(uint8_t address)
{
    PanelResponder responder;
    responder.Identity() = FirstPanel().Identity();
    responder.SetAddress(address);
    m_devices << LineDevice(responder);
}

template <typename Device>
bool SimulatedPanel::AppendOther(uint8_t address, Device device)
{
    std::lock_guard lock(m_mutex);
    if (AddressTaken(address))
        return false;
    const PanelIdentity& first = FirstPanel().Identity();
    device.SetLineSettings(first.BaudRate, first.TwoStopBits);
    m_devices << LineDevice(device);
    return true;
}

bool SimulatedPanel::AddPanel(uint8_t address)
{
    std::lock_guard lock(m_mutex);
    if (AddressTaken(address))
        return false;
    AppendPanel(address);
    return true;
}

bool SimulatedPanel::AddModbusDevice(uint8_t address, bool identException)
{
    return AppendOther(address, ModbusResponder(address, identException));
}

bool SimulatedPanel::AddGarbledDevice(uint8_t address)
{
    return AppendOther(address, GarbledResponder(address));
}

bool SimulatedPanel::RemoveDevice(uint8_t address)
{
    std::lock_guard lock(m_mutex);
    PanelResponder first = FirstPanel();
    const qsizetype removed = m_devices.removeIf(
        [address](const LineDevice& device) { return device.Address() == address; });
    // The first panel's settings stay at hand for a panel off the line.
    if (removed > 0 && &FirstPanel() == &m_offLine)
        m_offLine = first;
    return removed > 0;
}

void SimulatedPanel::SetFamilyAt(uint8_t address, int family)
{
    std::lock_guard lock(m_mutex);
    if (PanelResponder* p = PanelAt(address))
        p->Identity().Ident = PanelResponder::FamilyIdent(family);
}

void SimulatedPanel::SetFirmwareAt(uint8_t address, uint8_t major, uint8_t minor)
{
    std::lock_guard lock(m_mutex);
    if (PanelResponder* p = PanelAt(address)) {
        p->Identity().FirmwareMajor = major;
        p->Identity().FirmwareMinor = minor;
    }
}

void SimulatedPanel::SetHardwareRevisionAt(uint8_t address, uint8_t revision)
{
    std::lock_guard lock(m_mutex);
    if (PanelResponder* p = PanelAt(address))
        p->Identity().HardwareRevision = revision;
}

QList<uint8_t> SimulatedPanel::Addresses() const
{
    std::lock_guard lock(m_mutex);
    QList<uint8_t> out;
    for (const LineDevice& device : m_devices)
        out << device.Address();
    return out;
}

QStringList SimulatedPanel::DeviceDescriptions() const
{
    std::lock_guard lock(m_mutex);
    QStringList out;
    for (const LineDevice& device : m_devices)
        out << QStringLiteral("address %1: %2").arg(device.Address()).arg(device.Describe());
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
