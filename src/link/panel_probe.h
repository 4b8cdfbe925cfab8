#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

class TModbus;

// What answered the identification at one address. Any answer at all
// means that a device holds the address, panel or not.
struct ProbeAnswer {
    enum class Kind {
        Silent,      // nothing within the turnaround allowance
        Panel,       // an ОРЛ panel: Family 0 or 1
        OtherIdent,  // another identification (or another function's answer)
        Exception,   // an exception answer: ExceptionCode
        Broken,      // a frame with a CRC error or cut short
        Foreign,     // an intact answer from another address (late, or a repeater)
        Failed,      // the request could not be sent, or the line failed
    };
    Kind Result = Kind::Silent;
    int Family = -1;
    uint8_t Function = 0;
    QByteArray Ident;  // the identification's bytes after its byte count
    int ExceptionCode = 0;

    // True when a device answered at the address itself.
    bool Occupied() const;
    // How a scan names it: "ОРЛ-07", "устройство Modbus, не ОРЛ: исключение
    // 01", "... идентификатор B4 FF 4C ...", "ответ с ошибкой CRC".
    QString Text() const;
    // "panel", "modbus", "broken" for the JSON output; empty when unoccupied.
    QString KindWord() const;
};

// Sends the identification to `address` on the open channel and judges
// what comes back (TModbus::ProbeIdentification for the timing).
ProbeAnswer ProbeAddress(TModbus& channel, uint8_t address, int firstByteMs);

// Judges an answer to the identification of `address`.
ProbeAnswer JudgeIdentAnswer(const uint8_t* frame, int count, uint8_t address);
