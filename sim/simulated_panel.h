#pragma once

#include "panel_responder.h"
#include "pseudo_terminal.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// An ОРЛ panel on the master side of a pseudo-terminal, served by its own
// thread. The tool opens DevicePath() like any serial port. Every request
// frame the panel receives is recorded; all accessors are thread-safe.
class RequestFramer;

class SimulatedPanel {
public:
    enum class Direction { Request, Answer };
    using FrameLogger = std::function<void(Direction, const QByteArray&)>;

    SimulatedPanel();
    ~SimulatedPanel();
    SimulatedPanel(const SimulatedPanel&) = delete;
    SimulatedPanel& operator=(const SimulatedPanel&) = delete;

    bool Start(QString* error = nullptr);
    void Stop();
    bool IsRunning() const { return m_thread.joinable(); }
    // The slave device of the pseudo-terminal, e.g. /dev/pts/3.
    QString DevicePath() const;

    // Called on the panel's thread for every frame in and out; set before Start.
    void SetFrameLogger(FrameLogger logger);

    void SetAddress(uint8_t address);
    // 0: ОРЛ-07 (03 20 07 32), 1: ОРЛ-09 (03 0C 09 32).
    void SetFamily(int family);
    // Any four identification bytes, e.g. a device of another kind.
    void SetIdentBytes(const std::array<uint8_t, 4>& ident);
    void SetFirmware(uint8_t major, uint8_t minor);
    void SetHardwareRevision(uint8_t revision);
    // The baud rate and stop bits the first panel listens at (9600, two at
    // start); an apply takes those of block 1 into use.
    void SetLineSettings(int baudRate, bool twoStopBits);
    PanelIdentity Identity() const;

    ConfigImage Image() const;
    void SetImage(const ConfigImage& image);
    QByteArray BlockData(int block) const;
    void SetBlockData(int block, const QByteArray& payload);

    void AddFault(const PanelFault& fault);
    void ClearFaults();

    // Further panels on the same line, as panels share an RS-485 bus: each
    // at its own address with its own memory (the new configuration with
    // that address) and faults, the identity copied from the first panel.
    // The calls above concern the first panel. The address calls name the
    // address a panel answers at now (it changes when an apply takes a new
    // one from block 1).
    bool AddPanel(uint8_t address);
    // A further panel even at an address that is taken: both answer at
    // once and their frames collide, as on a real line.
    bool AddPanelAlike(uint8_t address);
    QList<uint8_t> Addresses() const;
    ConfigImage ImageAt(uint8_t address) const;
    void SetImageAt(uint8_t address, const ConfigImage& image);
    int ApplyCountAt(uint8_t address) const;
    void AddFaultAt(uint8_t address, const PanelFault& fault);

    // Every request frame received, in order (also those for other addresses).
    QList<QByteArray> Requests() const;
    // Every frame in and out with its time on the steady clock (µs): a
    // request when the panel took it off the line, an answer just before
    // the panel put it on the line.
    struct TimedFrame {
        Direction Dir;
        QByteArray Bytes;
        qint64 AtUs;
    };
    QList<TimedFrame> Timeline() const;
    void ClearRequests();
    int AnswersSent() const;
    int ApplyCount() const;
    // Waits until `count` answers in all have been written to the line.
    bool WaitForAnswersSent(int count, int timeoutMs) const;
    // Waits until `count` requests in all have been received.
    bool WaitForRequests(int count, int timeoutMs) const;

private:
    struct Scheduled {
        qint64 DueMs;
        QByteArray Bytes;
    };

    void Serve();
    void HandleInput(qint64 nowMs, RequestFramer& framer, QList<Scheduled>& scheduled);
    void SendDue(qint64 nowMs, QList<Scheduled>& scheduled);
    void Write(const QByteArray& bytes);
    void Log(Direction direction, const QByteArray& frame) const;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    PanelResponder* PanelAt(uint8_t address);
    // A panel like the first at `address`; the caller holds the lock.
    void AppendPanel(uint8_t address);
    const PanelResponder* PanelAt(uint8_t address) const;

    QList<PanelResponder> m_panels{PanelResponder()};  // the first one always there
    QList<QByteArray> m_requests;
    QList<TimedFrame> m_timeline;
    int m_answersSent = 0;
    FrameLogger m_logger;

    PseudoTerminal m_pty;
    int m_wake[2] = {-1, -1};
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};
