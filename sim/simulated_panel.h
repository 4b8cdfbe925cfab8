#pragma once

#include "line_behaviour.h"
#include "line_device.h"
#include "panel_responder.h"
#include "pseudo_terminal.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// An ОРЛ panel on the master side of a pseudo-terminal, served by its own
// thread, with further devices on the same line if wished. The tool opens
// DevicePath() like any serial port. Every request frame the line carries
// is recorded; all accessors are thread-safe. How the line carries the
// answers (at once, or paced at the baud rate, with an echo) is its
// LineBehaviour.
class AnswerPacer;
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

    // Takes effect from the next request on; may be set while serving.
    void SetLineBehaviour(const LineBehaviour& behaviour);
    LineBehaviour Behaviour() const;

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

    // Further devices on the same line, as devices share an RS-485 bus:
    // each at its own address; false when a device is there already. A
    // further panel has its own memory (the new configuration with that
    // address) and faults, the identity and line settings copied from the
    // first panel; the other kinds listen at the first panel's line
    // settings. The calls above concern the first panel (the first one on
    // the line). The address calls name the address a panel answers at
    // now (it changes when an apply takes a new one from block 1).
    bool AddPanel(uint8_t address);
    // A further panel even at an address that is taken: both answer at
    // once and their frames collide, as on a real line.
    bool AddPanelAlike(uint8_t address);
    // A generic Modbus device (registers for functions 3 and 4, a long
    // identification or, with `identException`, an exception to 17).
    bool AddModbusDevice(uint8_t address, bool identException = false);
    // A device that answers everything with a frame whose CRC is wrong.
    bool AddGarbledDevice(uint8_t address);
    // Takes the devices at `address` off the line; false when none was.
    // Without a panel on the line, the first panel's calls keep a panel
    // that nobody hears.
    bool RemoveDevice(uint8_t address);
    // Of the panel at `address`: 0 ОРЛ-07, 1 ОРЛ-09.
    void SetFamilyAt(uint8_t address, int family);
    void SetFirmwareAt(uint8_t address, uint8_t major, uint8_t minor);
    void SetHardwareRevisionAt(uint8_t address, uint8_t revision);
    // Every device's address, in line order.
    QList<uint8_t> Addresses() const;
    // "address 3: panel ОРЛ-07, firmware 1.7, revision 1", one per device.
    QStringList DeviceDescriptions() const;
    ConfigImage ImageAt(uint8_t address) const;
    void SetImageAt(uint8_t address, const ConfigImage& image);
    int ApplyCountAt(uint8_t address) const;
    void AddFaultAt(uint8_t address, const PanelFault& fault);

    // Every request frame received, in order (also those for other addresses).
    QList<QByteArray> Requests() const;
    // Every frame in and out with its times on the steady clock (µs): for
    // a request when its first and last bytes arrived, for an answer when
    // the panel put its first and its last byte on the line.
    struct TimedFrame {
        Direction Dir;
        QByteArray Bytes;
        qint64 AtUs;
        qint64 EndUs;
    };
    QList<TimedFrame> Timeline() const;
    void ClearRequests();
    int AnswersSent() const;
    int ApplyCount() const;
    // Waits until `count` answers in all have been written to the line
    // (their last bytes).
    bool WaitForAnswersSent(int count, int timeoutMs) const;
    // Waits until `count` requests in all have been received.
    bool WaitForRequests(int count, int timeoutMs) const;

private:
    void Serve();
    void ReadInput(RequestFramer& framer);
    void HandleFrame(const QByteArray& frame, qint64 lastByteUs, qint64 firstByteUs,
                     AnswerPacer& pacer);
    void SendDue(AnswerPacer& pacer, qint64& answerStartUs);
    void Write(const QByteArray& bytes);
    void Log(Direction direction, const QByteArray& frame) const;

    // The caller holds the lock for these.
    PanelResponder* PanelAt(uint8_t address);
    const PanelResponder* PanelAt(uint8_t address) const;
    bool AddressTaken(uint8_t address) const;
    PanelResponder& FirstPanel();
    const PanelResponder& FirstPanel() const;
    // A panel like the first at `address`.
    void AppendPanel(uint8_t address);
    template <typename Device>
    bool AppendOther(uint8_t address, Device device);

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    QList<LineDevice> m_devices{LineDevice(PanelResponder())};
    PanelResponder m_offLine;  // the first panel while no panel is on the line
    LineBehaviour m_behaviour;
    QList<QByteArray> m_requests;
    QList<TimedFrame> m_timeline;
    int m_answersSent = 0;
    FrameLogger m_logger;

    PseudoTerminal m_pty;
    int m_wake[2] = {-1, -1};
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};
