#include "fake_port_line.h"

#include "link/hex_text.h"

#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <cstring>

PortLineFactory FakePortLine::Factory(const std::shared_ptr<Script>& script)
{
    return [script] { return std::make_unique<FakePortLine>(script); };
}

bool FakePortLine::Open(const QString& path, const LineSettings&)
{
    m_script->Events << QStringLiteral("open ") + path;
    m_open = !m_script->OpenFails;
    return m_open;
}

void FakePortLine::Close()
{
    if (m_open)
        m_script->Events << QStringLiteral("close");
    m_open = false;
}

bool FakePortLine::EnableRs485RtsOnSend()
{
    if (!m_script->Rs485Supported)
        return false;
    m_script->Events << QStringLiteral("rs485");
    return true;
}

bool FakePortLine::SetRts(bool on)
{
    if (!m_script->RtsSettable)
        return false;
    m_script->Events << (on ? QStringLiteral("rts 1") : QStringLiteral("rts 0"));
    return true;
}

void FakePortLine::Purge()
{
    m_script->Events << QStringLiteral("purge");
    m_input.clear();
    m_errorAt = -1;
}

void FakePortLine::Hold(const QDeadlineTimer& deadline)
{
    QElapsedTimer held;
    held.start();
    while (!deadline.hasExpired())
        QThread::msleep(quint64(std::clamp<qint64>(deadline.remainingTime(), 1, 50)));
    m_script->WaitedMs += held.elapsed();
}

int64_t FakePortLine::Write(const uint8_t* data, int64_t count, const QDeadlineTimer& deadline)
{
    if (m_script->Stalls == Stall::Write) {
        m_script->Events << QStringLiteral("write stalled");
        Hold(deadline);
        return 0;
    }
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(count));
    m_script->Events << QStringLiteral("write ") + HexText(bytes);
    if (!m_script->Answers.isEmpty()) {
        m_errorAt =
            m_script->ParityErrorAt >= 0 ? int(m_input.size()) + m_script->ParityErrorAt : -1;
        m_input += m_script->Answers.dequeue();
    }
    return count;
}

bool FakePortLine::WaitSent(const QDeadlineTimer& deadline)
{
    if (m_script->Stalls == Stall::Drain) {
        m_script->Events << QStringLiteral("drain stalled");
        Hold(deadline);
        return false;
    }
    m_script->Events << QStringLiteral("sent");
    return true;
}

PortLine::ReadResult FakePortLine::Read(uint8_t* data, int64_t max)
{
    ReadResult r;
    int64_t take = std::min<int64_t>(max, m_input.size());
    if (m_errorAt >= 0 && m_errorAt < take) {
        take = m_errorAt;
        r.LineError = true;
    }
    std::memcpy(data, m_input.constData(), size_t(take));
    m_input.remove(0, take);
    if (r.LineError) {
        m_input.remove(0, 1);  // the spoilt byte is taken with its mark
        m_errorAt = -1;
    } else if (m_errorAt >= 0) {
        m_errorAt -= int(take);
    }
    r.Count = take;
    return r;
}

bool FakePortLine::WaitReadable(const QDeadlineTimer& deadline)
{
    if (!m_input.isEmpty())
        return true;
    Hold(deadline);
    return false;
}
