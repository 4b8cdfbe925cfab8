#include "app/scan_worker.h"

#include "link/frame_journal.h"
#include "link/modbus.h"
#include "model/command_error.h"

#include <QThread>

ScanWorker::ScanWorker(FrameJournal* journal, const QString& commandName, QObject* parent)
    : QObject(parent), m_journal(journal), m_commandName(commandName)
{
}

ScanWorker::~ScanWorker()
{
    StopAndWait();
}

void ScanWorker::Start(const ScanRequest& request)
{
    StopAndWait();
    m_stop = false;
    if (m_journal)
        m_journal->BeginCommand(m_commandName);
    m_thread.reset(QThread::create([this, request] { Run(request); }));
    m_thread->start();
}

void ScanWorker::Stop()
{
    m_stop = true;
}

void ScanWorker::StopAndWait()
{
    m_stop = true;
    if (m_thread)
        m_thread->wait();
}

bool ScanWorker::IsRunning() const
{
    return m_thread && m_thread->isRunning();
}

// On the worker's thread: the channel is created, opened, closed and
// destroyed here.
void ScanWorker::Run(const ScanRequest& request)
{
    TModbus channel;
    if (FrameJournal* journal = m_journal)
        channel.SetTraceSink([journal](TraceKind kind, const uint8_t* data, int count) {
            journal->Record(kind, data, count);
        });
    PanelScan scan(channel);
    scan.SetStopCheck([this] { return m_stop.load(); });
    scan.SetHitSink([this](const ScanHit& hit) { emit Found(hit); });

    const QList<LinkSettings> tries = request.EveryLineSetting
                                          ? PanelScan::EveryLineSetting(request.Port)
                                          : QList<LinkSettings>{request.Port};
    const int count = int(request.Addresses.size());
    const int total = count * int(tries.size());
    QList<uint8_t> left = request.Addresses;
    try {
        for (int i = 0; i < int(tries.size()) && !left.isEmpty() && !m_stop; ++i) {
            const LinkSettings& settings = tries[i];
            // The addresses found at an earlier setting count as done.
            const int before = i * count + (count - int(left.size()));
            const auto trying = [&](int done) {
                if (done < left.size())
                    emit Trying(before + done, total, left[done], settings.Line, i + 1,
                                int(tries.size()));
            };
            trying(0);
            const QList<ScanHit> hits =
                scan.Scan(settings, left, 0, [&](int done, int) { trying(done); });
            for (const ScanHit& hit : hits)
                left.removeAll(hit.Address);
        }
    } catch (const CommandError& e) {
        emit Failed(e.Message(), e.Detail());
    } catch (const std::exception& e) {
        emit Failed(QString::fromLocal8Bit(e.what()), {});
    }
    emit Finished(m_stop);
}
