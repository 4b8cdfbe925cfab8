// How an answer to the identification is judged: which answers occupy an
// address, and how a scan names them.
#include "link/panel_probe.h"
#include "model/crc16.h"

#include <QTest>

namespace {
QByteArray Closed(const char* hex)
{
    QByteArray frame = QByteArray::fromHex(hex);
    const uint16_t crc =
        Crc16(reinterpret_cast<const uint8_t*>(frame.constData()), size_t(frame.size()));
    frame.append(char(crc >> 8));
    frame.append(char(crc & 0xFF));
    return frame;
}
}  // namespace

class TestPanelProbe : public QObject {
    Q_OBJECT
private slots:
    void judge_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<bool>("occupied");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("text");
        QTest::newRow("silence") << QByteArray() << false << "" << "";
        QTest::newRow("ОРЛ-07") << Closed("051103200732") << true << "panel" << "ОРЛ-07";
        QTest::newRow("ОРЛ-09") << Closed("0511030C0932") << true << "panel" << "ОРЛ-09";
        QTest::newRow("other four bytes")
            << Closed("051103200733") << true << "modbus"
            << "устройство Modbus, не ОРЛ: идентификатор 20 07 33";
        QTest::newRow("long identification")
            << Closed("05110AB4FF4C4D42332E312E36") << true << "modbus"
            << "устройство Modbus, не ОРЛ: идентификатор B4 FF 4C 4D 42 33 2E 31 2E 36";
        QTest::newRow("panel's bytes in a longer identification")
            << Closed("05110403200732") << true << "modbus"
            << "устройство Modbus, не ОРЛ: идентификатор 03 20 07 32";
        QTest::newRow("exception 01") << Closed("059101") << true << "modbus"
                                      << "устройство Modbus, не ОРЛ: исключение 01";
        QTest::newRow("exception 0B") << Closed("05910B") << true << "modbus"
                                      << "устройство Modbus, не ОРЛ: исключение 0B";
        QTest::newRow("another function") << Closed("0503020001") << true << "modbus"
                                          << "устройство Modbus, не ОРЛ: ответ функцией 3";
        QTest::newRow("CRC error") << QByteArray::fromHex("0511032007320000") << true << "broken"
                                   << "ответ с ошибкой CRC";
        QTest::newRow("cut short") << QByteArray::fromHex("0511") << true << "broken"
                                   << "ответ с ошибкой CRC";
        // An intact answer from another address is another device's, late.
        QTest::newRow("another address") << Closed("041103200732") << false << "" << "";
    }
    void judge()
    {
        QFETCH(QByteArray, answer);
        QFETCH(bool, occupied);
        QFETCH(QString, kind);
        QFETCH(QString, text);
        const ProbeAnswer a = JudgeIdentAnswer(reinterpret_cast<const uint8_t*>(answer.constData()),
                                               int(answer.size()), 5);
        QCOMPARE(a.Occupied(), occupied);
        QCOMPARE(a.KindWord(), kind);
        QCOMPARE(a.Text(), text);
    }
};

QTEST_MAIN(TestPanelProbe)
#include "tst_panel_probe.moc"
