#include "link/modbus.h"

#include "link/serial_line.h"

#include <QDeadlineTimer>
#include <QSerialPort>

#include <algorithm>

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

}  // namespace

TModbus::TModbus() = default;

TModbus::~TModbus()
{
    ClosePort();
}

int TModbus::OpenPort(const QString& path, int baudRate, int stopBits, int parity, bool rtsToggle,
                      int bufferSize)
{
    // The earlier port and its buffer go before anything new is taken.
    ClosePort();
    m_lastOpenError.clear();
    m_lastOpenPermissionDenied = false;

    if (bufferSize <= 0)
        return FailOpen(QStringLiteral("Invalid frame buffer size %1").arg(bufferSize), false);

    auto port = std::make_unique<QSerialPort>();
    port->setPortName(path);
    if (!port->open(QIODevice::ReadWrite)) {
        const bool denied = SerialLine::IsPermissionDenied(path);
        return FailOpen(port->errorString(), denied);
    }
    m_pseudoTerminal = SerialLine::IsPseudoTerminal(int(port->handle()));
    if (!ApplyLineSettings(*port, baudRate, stopBits, parity, rtsToggle)) {
        const QString reason = m_lastOpenError;
        m_rs485.Restore(int(port->handle()));
        port->close();
        m_pseudoTerminal = false;
        return FailOpen(reason, false);
    }
    port->clear(QSerialPort::AllDirections);
    port->clearError();

    m_port = std::move(port);
    PortHandle = int(m_port->handle());
    Buffer = new uint8_t[size_t(bufferSize)]();
    m_bufferSize = bufferSize;
    ShowStatus(path);
    return PortHandle;
}

bool TModbus::ApplyLineSettings(QSerialPort& port, int baudRate, int stopBits, int parity,
                                bool rtsToggle)
{
    // A pseudo-terminal has no parity generator and no modem lines; the
    // kernel refuses those settings there, which is no fault of the line.
    const bool pty = m_pseudoTerminal;
    auto step = [&](bool ok, bool ptyMayRefuse, const char* what) {
        if (ok || (pty && ptyMayRefuse)) {
            port.clearError();
            return true;
        }
        m_lastOpenError = QStringLiteral("%1: %2").arg(QLatin1String(what), port.errorString());
        return false;
    };

    QSerialPort::Parity qtParity = QSerialPort::NoParity;
    QSerialPort::StopBits qtStopBits = QSerialPort::OneStop;
    if (!ToQtParity(parity, qtParity)) {
        m_lastOpenError = QStringLiteral("Unknown parity code %1").arg(parity);
        return false;
    }
    if (!ToQtStopBits(stopBits, qtStopBits)) {
        m_lastOpenError = QStringLiteral("Unknown stop bits code %1").arg(stopBits);
        return false;
    }
    if (baudRate <= 0) {
        m_lastOpenError = QStringLiteral("Invalid baud rate %1").arg(baudRate);
        return false;
    }
    if (!step(port.setBaudRate(baudRate), false, "baud rate") ||
        !step(port.setDataBits(QSerialPort::Data8), false, "data bits") ||
        !step(port.setParity(qtParity), qtParity != QSerialPort::NoParity, "parity") ||
        !step(port.setStopBits(qtStopBits), false, "stop bits") ||
        !step(port.setFlowControl(QSerialPort::NoFlowControl), false, "flow control") ||
        !step(port.setDataTerminalReady(false), true, "DTR"))
        return false;
    if (rtsToggle) {
        // Drivers that switch direction in hardware refuse this; fine.
        m_rs485.EnableRtsOnSend(int(port.handle()));
        port.clearError();
        return true;
    }
    return step(port.setRequestToSend(false), true, "RTS");
}

int TModbus::FailOpen(const QString& reason, bool permissionDenied)
{
    m_lastOpenError = reason;
    m_lastOpenPermissionDenied = permissionDenied;
    PortHandle = ClosedMarker;
    return ClosedMarker;
}

void TModbus::ClosePort()
{
    if (m_port) {
        Purge();
        m_rs485.Restore(int(m_port->handle()));
        m_port->close();
        m_port.reset();
    }
    PortHandle = ClosedMarker;
    m_pseudoTerminal = false;
    delete[] Buffer;
    Buffer = nullptr;
    m_bufferSize = 0;
}

void TModbus::Purge()
{
    // Discards what the driver and Qt's own buffer hold, both directions.
    m_port->clear(QSerialPort::AllDirections);
    m_port->clearError();
}

bool TModbus::SendFrame(const uint8_t* data, int count)
{
    qint64 written = 0;
    bool complete = false;
    if (m_port && data && count >= 0) {
        Purge();
        const qint64 queued = m_port->write(reinterpret_cast<const char*>(data), count);
        if (queued >= 0) {
            while (m_port->bytesToWrite() > 0 && m_port->waitForBytesWritten(-1)) {
            }
            written = queued - m_port->bytesToWrite();
            complete = written == count && SerialLine::Drain(PortHandle);
        }
        m_port->clearError();
    }
    ShowStatus(QString::number(written));
    return complete;
}

bool TModbus::ReceiveFrame(uint8_t* data, int count, int& received, uint32_t waitTime)
{
    received = 0;
    bool complete = false;
    if (m_port && data && count >= 0) {
        const qint64 limit = std::min<qint64>(waitTime, qint64(count) + ReadTimeoutConstant);
        const QDeadlineTimer deadline(limit);
        char* into = reinterpret_cast<char*>(data);
        for (;;) {
            const qint64 n = m_port->read(into + received, count - received);
            if (n < 0)
                break;
            received += int(n);
            if (received >= count) {
                complete = true;
                break;
            }
            // A read error (the other end of the line vanished) is no answer.
            if (!m_port->waitForReadyRead(int(deadline.remainingTime())))
                break;
        }
        m_port->clearError();
    }
    ShowStatus(QString::number(received));
    return complete;
}

void TModbus::ShowStatus(const QString& text) const
{
    if (m_status)
        m_status(text);
}
