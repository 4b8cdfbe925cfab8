#include "garbled_responder.h"

#include "model/crc16.h"

GarbledResponder::GarbledResponder(uint8_t address)
{
    m_model.SetAddress(address);
}

void GarbledResponder::SetLineSettings(int baudRate, bool twoStopBits)
{
    m_model.Identity().BaudRate = baudRate;
    m_model.Identity().TwoStopBits = twoStopBits;
}

bool GarbledResponder::Listens(int baudRate, bool twoStopBits) const
{
    return m_model.Listens(baudRate, twoStopBits);
}

PanelAnswer GarbledResponder::Respond(const QByteArray& request) const
{
    PanelResponder panel = m_model;  // a request changes nothing
    PanelAnswer answer = panel.Respond(request);
    if (!answer.Send)
        return answer;
    QByteArray& bytes = answer.Bytes;
    const qsizetype body = bytes.size() - 2;
    for (qsizetype i = 2; i < body; ++i)
        bytes[i] = char(uint8_t(bytes[i]) ^ uint8_t(0x5A + 7 * i));
    const uint16_t crc =
        Crc16(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(body)) ^ 0xA55A;
    bytes[body] = char(crc >> 8);
    bytes[body + 1] = char(crc & 0xFF);
    return answer;
}
