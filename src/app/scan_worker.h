#pragma once

#include "link/panel_scan.h"

#include <QList>
#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

class FrameJournal;
class QThread;

// What one scan covers.
struct ScanRequest {
    LinkSettings Port;
    QList<uint8_t> Addresses;
    // Every line setting PanelScan::EveryLineSetting gives, an address that
    // answered at one left out at the next ones (as orlix-cli scan does).
    bool EveryLineSetting = false;
};

// Runs PanelScan on a thread of its own with a channel of its own, so that
// the window stays responsive and its own channel is never touched. The
// signals come from that thread; a receiver on the window's thread gets
// them queued, in order. Destroying the worker stops the scan and waits.
class ScanWorker : public QObject {
    Q_OBJECT
public:
    // Frames go to `journal` (may be null) under `commandName`.
    ScanWorker(FrameJournal* journal, const QString& commandName, QObject* parent = nullptr);
    ~ScanWorker() override;

    // Starts a scan; a scan still running is stopped and waited for first.
    void Start(const ScanRequest& request);
    // Asks the scan to end before its next address; returns at once.
    void Stop();
    // Stops the scan and returns once its thread has ended.
    void StopAndWait();
    bool IsRunning() const;

signals:
    // About to ask `address` at `line`: `done` of `total` steps taken, the
    // line setting `setting` (from 1) of `settings`.
    void Trying(int done, int total, uint8_t address, const SerialSettings& line, int setting,
                int settings);
    void Found(const ScanHit& hit);
    // The port could not be opened, or the scan failed otherwise.
    void Failed(const QString& message, const QString& detail);
    // The scan ended: through every address, or `stopped` early. Comes last.
    void Finished(bool stopped);

private:
    void Run(const ScanRequest& request);

    FrameJournal* m_journal;
    const QString m_commandName;
    std::unique_ptr<QThread> m_thread;
    std::atomic<bool> m_stop{false};
};
