#include "link/mbap_port_line.h"

#include "link/modbus_codes.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

constexpr int ChunkSize = 1024;  // taken from the connection at a time

// The gateway's own exceptions: it found no way to the unit, or the unit
// did not answer on the serial line.
constexpr uint8_t PathUnavailable = 0x0A;
constexpr uint8_t TargetSilent = 0x0B;

QString ForeignText(int got, int expected)
{
    return QStringLiteral("Чужой ответ: транзакция %1, ожидалась %2").arg(got).arg(expected);
}

QString GatewayExceptionText(uint8_t code, int unit)
{
    if (code == PathUnavailable)
        return QStringLiteral("Шлюз: нет пути к устройству %1 (исключение 0x0A)").arg(unit);
    return QStringLiteral("Шлюз: устройство %1 не ответило (исключение 0x0B)").arg(unit);
}

QString UnframedText(const MbapFrame::Decoder& decoder)
{
    const QString head = QStringLiteral("поток шлюза не разбирается как Modbus TCP: ");
    if (decoder.Failure() == MbapFrame::Decoder::Fault::Protocol)
        return head + QStringLiteral(
                          "идентификатор протокола %1 вместо 0 (сервер последовательного "
                          "порта, передающий кадры RTU без изменений, задаётся как tcp://)")
                          .arg(decoder.FailureValue());
    return head + QStringLiteral("длина %1 вне 1 - %2")
                      .arg(decoder.FailureValue())
                      .arg(MbapFrame::MaxLength);
}

bool IsGatewaySilence(const MbapFrame::Adu& adu)
{
    return adu.Pdu.size() == 2 && (uint8_t(adu.Pdu[0]) & ModbusCode::ExceptionBit) &&
           (uint8_t(adu.Pdu[1]) == PathUnavailable || uint8_t(adu.Pdu[1]) == TargetSilent);
}

}  // namespace

MbapPortLine::MbapPortLine() : NetworkPortLine(QLatin1String("mbtcp")) {}

bool MbapPortLine::IsMbapPath(const QString& path)
{
    return path.startsWith(QLatin1String("mbtcp://"));
}

void MbapPortLine::Restart()
{
    m_decoder.Reset();
    m_answer.clear();
    m_transaction = 0;
    m_unframed = false;
}

bool MbapPortLine::Open(const QString& path, const LineSettings& settings)
{
    Restart();
    return NetworkPortLine::Open(path, settings);
}

void MbapPortLine::Close()
{
    NetworkPortLine::Close();
    Restart();
}

void MbapPortLine::NoteFault()
{
    if (m_unframed || m_decoder.Failure() == MbapFrame::Decoder::Fault::None)
        return;
    m_unframed = true;
    Fail(UnframedText(m_decoder));
}

bool MbapPortLine::TakeIn()
{
    uint8_t chunk[ChunkSize];
    const ReadResult in = Receive(chunk, sizeof chunk);
    m_decoder.Feed(chunk, in.Count);
    NoteFault();
    return !in.Failed;
}

void MbapPortLine::Purge()
{
    m_answer.clear();
    // Bounded, so that a gateway that never stops sending cannot hold the caller.
    uint8_t chunk[ChunkSize];
    for (int i = 0; i < 64 && !m_unframed; ++i) {
        m_decoder.Discard();
        const ReadResult in = Receive(chunk, sizeof chunk);
        if (in.Count <= 0)
            break;
        m_decoder.Feed(chunk, in.Count);
        NoteFault();
    }
    m_decoder.Discard();
}

int64_t MbapPortLine::Write(const uint8_t* data, int64_t count, const QDeadlineTimer& deadline)
{
    if (m_unframed)
        return -1;  // ErrorText() says why
    const uint16_t transaction = MbapFrame::NextTransaction(m_transaction);
    const QByteArray adu =
        MbapFrame::Encode(data, int(std::min<int64_t>(count, INT_MAX)), transaction);
    if (adu.isEmpty()) {
        Fail(QStringLiteral("запрос не является кадром RTU (%1 байт)").arg(count));
        return -1;
    }
    m_transaction = transaction;
    const int64_t sent =
        Send(reinterpret_cast<const uint8_t*>(adu.constData()), adu.size(), deadline);
    if (sent < 0)
        return -1;
    if (sent == 0)
        return 0;  // the gateway takes nothing now; the stream is still whole
    if (sent < adu.size()) {
        // Part of an ADU went out: the gateway can no longer frame what follows.
        m_unframed = true;
        Fail(QStringLiteral("шлюз принял запрос не целиком"));
        return -1;
    }
    // The gateway puts the frame on its serial line at the line's rate.
    StartLineTime(count);
    return count;
}

PortLine::ReadResult MbapPortLine::Read(uint8_t* data, int64_t max)
{
    ReadResult r;
    if (m_answer.isEmpty()) {
        // Once the stream is unframed nothing more is taken in, so that
        // ErrorText() keeps that reason.
        const bool connected = m_decoder.HasAdu() || m_unframed || TakeIn();
        MbapFrame::Adu adu;
        while (m_answer.isEmpty() && m_decoder.Next(adu)) {
            if (adu.Transaction != m_transaction) {
                r.Foreign = true;
                SetErrorText(ForeignText(adu.Transaction, m_transaction));
                return r;
            }
            if (IsGatewaySilence(adu)) {
                SetErrorText(GatewayExceptionText(uint8_t(adu.Pdu[1]), adu.Unit));
                r.Silent = true;
                return r;
            }
            m_answer = MbapFrame::ToRtu(adu);
        }
        if (m_answer.isEmpty()) {
            r.Failed = m_unframed || !connected;
            return r;
        }
    }
    r.Count = std::min<int64_t>(std::max<int64_t>(0, max), m_answer.size());
    if (r.Count > 0)
        std::memcpy(data, m_answer.constData(), size_t(r.Count));
    m_answer.remove(0, r.Count);
    return r;
}

bool MbapPortLine::WaitReadable(const QDeadlineTimer& deadline)
{
    if (!m_answer.isEmpty() || m_decoder.HasAdu() || m_unframed)
        return true;
    return WaitInput(deadline);
}
