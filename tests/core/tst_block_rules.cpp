#include "model/dev_config.h"
#include "model/mbus_settings.h"

#include <QTest>

class TestBlockRules : public QObject {
    Q_OBJECT
private slots:
    void devConfigDefaults()
    {
        ConfigState state;
        for (int i = 0; i < 20; ++i)
            state.Image[i] = 0xFF;
        state.Image[20] = 0x11;  // the CRC word is not the block's business
        state.FamilyCode = 1;
        DefaultDevConfigBytes(state);
        QCOMPARE(int(state.Image[0]), 2);
        QCOMPARE(int(state.Image[1]), 1);
        QCOMPARE(int(state.Image[2]), 32);
        QCOMPARE(int(state.Image[3]), 0xFD);  // bit 0 set, bit 1 clear, 2..7 kept
        QCOMPARE(int(state.Image[4]), 0xFF);  // kept
        QCOMPARE(int(state.Image[5]), 0);
        for (int i = 6; i < 20; ++i)
            QCOMPARE(int(state.Image[i]), 0);
        QCOMPARE(int(state.Image[20]), 0x11);
        QCOMPARE(state.FamilyCode, 0);
    }

    void timeoutMapping()
    {
        QCOMPARE(TimeoutIndexFor(1).value_or(-1), 0);
        QCOMPARE(TimeoutIndexFor(60).value_or(-1), 59);
        QVERIFY(!TimeoutIndexFor(0));
        QVERIFY(!TimeoutIndexFor(61));
        QCOMPARE(int(LineTimeoutFromControls(true, 59)), 60);
        QCOMPARE(int(LineTimeoutFromControls(true, -1)), 0);
        QCOMPARE(int(LineTimeoutFromControls(false, 10)), 0);
        QCOMPARE(TimeoutItemText(5), QStringLiteral("5 с"));
    }

    void mbusDefaults()
    {
        ConfigImage image;
        image.fill(0xAA);
        DefaultMBSettingsBytes(image);
        const QList<int> expected{1, 47, 8, 115, 6, 0, 0};
        for (int i = 0; i < 7; ++i)
            QCOMPARE(int(image[22 + i]), expected[i]);
        QCOMPARE(int(image[21]), 0xAA);
        QCOMPARE(int(image[29]), 0xAA);
    }

    void lineFlags()
    {
        QCOMPARE(int(LineFlagsFor(true, Parity::None)), 0x08);
        QCOMPARE(int(LineFlagsFor(false, Parity::Even)), 0x20);
        QCOMPARE(int(LineFlagsFor(false, Parity::Odd)), 0x30);
        QCOMPARE(int(LineFlagsFor(true, Parity::Odd)), 0x38);
        QVERIFY(ParityFromLineFlags(0x08) == Parity::None);
        QVERIFY(ParityFromLineFlags(0x2F) == Parity::Even);
        QVERIFY(ParityFromLineFlags(0x30) == Parity::Odd);
        QVERIFY(!ParityFromLineFlags(0x10));
    }

    void rateRows()
    {
        QCOMPARE(BaudRowForDivisor(47).value_or(-1), 0);
        QCOMPARE(BaudRowForDivisor(3).value_or(-1), 6);
        QVERIFY(!BaudRowForDivisor(0));
        for (const BaudRateRow& row : BaudRateTable) {
            QCOMPARE(int(row.Byte2), 115);
            QCOMPARE(int(row.Byte3), 6);
            // The number, then five, three or one blank for four, five or six
            // digits, then the unit.
            const QString number = QString::number(row.BitsPerSecond);
            const int blanks = number.size() == 4 ? 5 : number.size() == 5 ? 3 : 1;
            QCOMPARE(QString::fromUtf8(row.Text),
                     number + QString(blanks, QLatin1Char(' ')) + QStringLiteral("бод"));
        }
    }

    void storeKeepsReserved()
    {
        ConfigImage image{};
        image[27] = 9;
        image[28] = 8;
        StoreMBusSettings(image, 200, 6, false, Parity::Odd);
        QCOMPARE(int(image[22]), 200);
        QCOMPARE(int(image[23]), 3);
        QCOMPARE(int(image[24]), 0x30);
        QCOMPARE(int(image[25]), 115);
        QCOMPARE(int(image[26]), 6);
        QCOMPARE(int(image[27]), 9);
        QCOMPARE(int(image[28]), 8);
    }
};

QTEST_APPLESS_MAIN(TestBlockRules)
#include "tst_block_rules.moc"
