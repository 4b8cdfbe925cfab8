#include "link/serial_port_line.h"

#include "link/port_holder.h"
#include "link/serial_line.h"
#include "names/native_name.h"

#include <QSerialPort>

#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

bool ToQtParity(int code, QSerialPort::Parity& parity)
{
    switch (code) {
        case 0: parity = QSerialPort::NoParity; return true;
        case 1: parity = QSerialPort::OddParity; return true;
        case 2: parity = QSerialPort::EvenParity; return true;
        case 3: parity = QSerialPort::MarkParity; return true;
        case 4: parity = QSerialPort::SpaceParity; return true;
        default: return false;
    }
}

bool ToQtStopBits(int code, QSerialPort::StopBits& stopBits)
{
    switch (code) {
        case 0: stopBits = QSerialPort::OneStop; return true;
        case 1: stopBits = QSerialPort::OneAndHalfStop; return true;
        case 2: stopBits = QSerialPort::TwoStop; return true;
        default: return false;
    }
}

int RemainingMs(const QDeadlineTimer& deadline)
{
    return int(std::max<qint64>(0, deadline.remainingTime()));
}

}  // namespace

SerialPortLine::SerialPortLine() = default;

SerialPortLine::~SerialPortLine()
{
    Close();
}

int SerialPortLine::Handle() const
{
    return m_port ? int(m_port->handle()) : -1;
}

bool SerialPortLine::Fail(const QString& what)
{
    m_error = what;
    return false;
}

bool SerialPortLine::Open(const QString& path, const LineSettings& settings)
{
    Close();
    m_error.clear();
    m_permissionDenied = false;

    // Only a character device is a port: never a file a name like
    // ../../../etc/passwd leads to.
    struct stat st {};
    if (::stat(NativeName(path).constData(), &st) == 0 && !S_ISCHR(st.st_mode) &&
        !SerialLine::IsPermissionDenied(path))
        return Fail(QStringLiteral("%1 — не последовательный порт (не символьное устройство)")
                        .arg(PrintableName(path)));

    auto port = std::make_unique<QSerialPort>();
    port->setPortName(path);
    // What arrives while nobody reads (between requests, while a box is
    // open) is kept only up to this much; the rest waits in the driver.
    port->setReadBufferSize(MaxPendingInput);
    if (!port->open(QIODevice::ReadWrite)) {
        m_permissionDenied = SerialLine::IsPermissionDenied(path);
        if (!m_permissionDenied && (port->error() == QSerialPort::PermissionError ||
                                    port->error() == QSerialPort::ResourceError)) {
            // The device is ours to open, so another program holds it.
            const QString holder = PortHolder(path);
            return Fail(holder.isEmpty()
                            ? QStringLiteral("порт занят другой программой")
                            : QStringLiteral("порт занят другой программой: ") + holder);
        }
        return Fail(port->errorString());
    }
    m_port = std::move(port);
    m_pseudoTerminal = SerialLine::IsPseudoTerminal(Handle());
    if (!Configure(settings)) {
        const QString reason = m_error;
        Close();
        m_error = reason;
        return false;
    }
    // Each byte as it arrives, not in an adapter's 16 ms batches; where the
    // driver keeps its batches, the waits allow for them.
    m_latencyMs = 0;
    if (!m_pseudoTerminal && !SerialLine::SetLowLatency(Handle(), &m_lowLatencySet))
        m_latencyMs = AdapterLatencyMs;
    m_port->clear(QSerialPort::AllDirections);
    m_port->clearError();
    return true;
}

void SerialPortLine::NoteDeviceError()
{
    const QSerialPort::SerialPortError e = m_port->error();
    if (e == QSerialPort::NoError || e == QSerialPort::TimeoutError)
        return;
    if (!m_failed)
        m_error = m_port->errorString();
    m_failed = true;
}

bool SerialPortLine::Configure(const LineSettings& s)
{
    // A pseudo-terminal has no parity generator and no modem lines; the
    // kernel refuses those settings there, which is no fault of the line.
    auto step = [this](bool ok, bool ptyMayRefuse, const char* what) {
        if (ok || (m_pseudoTerminal && ptyMayRefuse)) {
            m_port->clearError();
            return true;
        }
        return Fail(QStringLiteral("%1: %2").arg(QLatin1String(what), m_port->errorString()));
    };

    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
    if (!ToQtParity(s.Parity, parity))
        return Fail(QStringLiteral("Unknown parity code %1").arg(s.Parity));
    if (!ToQtStopBits(s.StopBits, stopBits))
        return Fail(QStringLiteral("Unknown stop bits code %1").arg(s.StopBits));
    if (s.BaudRate <= 0)
        return Fail(QStringLiteral("Invalid baud rate %1").arg(s.BaudRate));
    const bool withParity = parity != QSerialPort::NoParity;
    if (!step(m_port->setBaudRate(s.BaudRate), false, "baud rate") ||
        !step(m_port->setDataBits(QSerialPort::Data8), false, "data bits") ||
        !step(m_port->setParity(parity), withParity, "parity") ||
        !step(m_port->setStopBits(stopBits), false, "stop bits") ||
        !step(m_port->setFlowControl(QSerialPort::NoFlowControl), false, "flow control") ||
        !step(m_port->setDataTerminalReady(false), true, "DTR"))
        return false;

    // QSerialPort lets bytes with a parity error be dropped silently. With
    // parity on, the line checks it and marks every byte that fails, so that
    // the answer it belongs to fails as a whole.
    QString reason;
    if (!SerialLine::SetInputParityChecking(Handle(), withParity, &reason))
        return Fail(QStringLiteral("parity checking: ") + reason);
    m_marksErrors = withParity;
    m_decoder.Reset();
    m_raw.clear();

    m_charTimeUs = int((BitsPerChar(s) * 1000000LL + s.BaudRate - 1) / s.BaudRate);
    return true;
}

void SerialPortLine::Close()
{
    if (!m_port)
        return;
    m_port->clear(QSerialPort::AllDirections);
    m_rs485.Restore(Handle());
    if (m_lowLatencySet)
        SerialLine::ClearLowLatency(Handle());
    m_lowLatencySet = false;
    m_failed = false;
    m_port->close();
    m_port.reset();
    m_pseudoTerminal = false;
    m_marksErrors = false;
    m_raw.clear();
    m_decoder.Reset();
}

bool SerialPortLine::EnableRs485RtsOnSend()
{
    return m_port && m_rs485.EnableRtsOnSend(Handle());
}

bool SerialPortLine::SetRts(bool on)
{
    return m_port && SerialLine::SetRts(Handle(), on);
}

void SerialPortLine::Purge()
{
    if (!m_port)
        return;
    m_port->clear(QSerialPort::AllDirections);
    NoteDeviceError();
    m_port->clearError();
    m_raw.clear();
    m_decoder.Reset();
}

int64_t SerialPortLine::Write(const uint8_t* data, int64_t count, const QDeadlineTimer& deadline)
{
    if (!m_port)
        return -1;
    if (m_failed)
        return -1;
    const qint64 queued = m_port->write(reinterpret_cast<const char*>(data), count);
    if (queued < 0) {
        NoteDeviceError();
        m_port->clearError();
        return -1;
    }
    while (m_port->bytesToWrite() > 0 && !deadline.hasExpired() &&
           m_port->waitForBytesWritten(RemainingMs(deadline))) {
    }
    NoteDeviceError();
    m_port->clearError();
    if (m_failed)
        return -1;
    return queued - m_port->bytesToWrite();
}

bool SerialPortLine::WaitSent(const QDeadlineTimer& deadline)
{
    if (!m_port || m_failed)
        return false;
    if (SerialLine::WaitOutputSent(Handle(), deadline, m_charTimeUs))
        return true;
    NoteHangUp();  // the line went while the frame was leaving
    return false;
}

PortLine::ReadResult SerialPortLine::Read(uint8_t* data, int64_t max)
{
    ReadResult r;
    if (!m_port || m_failed) {
        r.Failed = true;
        return r;
    }
    if (!m_marksErrors) {
        const qint64 n = m_port->read(reinterpret_cast<char*>(data), max);
        if (n < 0)
            NoteDeviceError();
        r.Failed = n < 0 && m_failed;
        r.Count = std::max<qint64>(0, n);
        return r;
    }
    const QByteArray more = m_port->readAll();
    m_raw += more;
    const auto d = m_decoder.Decode(reinterpret_cast<const uint8_t*>(m_raw.constData()),
                                    m_raw.size(), data, max);
    m_raw.remove(0, d.Consumed);
    r.Count = d.Produced;
    r.LineError = d.Error;
    return r;
}

bool SerialPortLine::WaitReadable(const QDeadlineTimer& deadline)
{
    if (!m_port || m_failed)
        return false;
    if (m_port->bytesAvailable() > 0)
        return true;
    // The wait is ours: QSerialPort does not notice a hang-up (a pulled
    // adapter, the other end of a pseudo-terminal gone), which wakes a poll
    // without input, and would spin until the deadline.
    pollfd p{Handle(), POLLIN, 0};
    int rc = 0;
    do {
        rc = ::poll(&p, 1, RemainingMs(deadline));
    } while (rc < 0 && errno == EINTR);
    if (rc <= 0)
        return false;
    if ((p.revents & (POLLHUP | POLLERR | POLLNVAL)) && NoteHangUp())
        return false;
    // Input is there, even when the port takes none of it just now.
    m_port->waitForReadyRead(0);
    NoteDeviceError();
    m_port->clearError();
    return !m_failed;
}

bool SerialPortLine::NoteHangUp()
{
    pollfd p{Handle(), POLLIN, 0};
    if (::poll(&p, 1, 0) <= 0 || !(p.revents & (POLLHUP | POLLERR | POLLNVAL)))
        return false;
    int pending = 0;
    if (::ioctl(Handle(), FIONREAD, &pending) == 0 && pending > 0)
        return false;  // what arrived before the end is still to be read
    // A hung-up terminal (its adapter pulled, the other end of a
    // pseudo-terminal gone) refuses every request with the reason.
    int queued = 0;
    const bool refused = ::ioctl(Handle(), TIOCOUTQ, &queued) != 0;
    if (!m_failed)
        m_error = refused ? QString::fromLocal8Bit(std::strerror(errno))
                          : QStringLiteral("линия закрыта (hang-up)");
    m_failed = true;
    return true;
}
