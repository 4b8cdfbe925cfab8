#include "link/port_line.h"
#include "model/mbus_settings.h"
#include "model/serial_settings.h"

#include <QTest>

Q_DECLARE_METATYPE(Parity)
Q_DECLARE_METATYPE(EchoMode)

// The line settings in each of their forms: block 1's codes, the words of
// the command line and site files, the codes a port is opened with.
class TestLineSettings : public QObject {
    Q_OBJECT
private slots:
    // Block 1's divisor and line flags read into the settings and written
    // back. A code the panel does not know keeps what was known before.
    void imageCodes_data()
    {
        QTest::addColumn<int>("divisor");
        QTest::addColumn<int>("flags");
        QTest::addColumn<int>("baud");  // read, with 38400 odd known before
        QTest::addColumn<int>("stopBits");
        QTest::addColumn<Parity>("parity");
        QTest::addColumn<int>("divisorBack");  // written back from what was read
        QTest::addColumn<int>("flagsBack");
        QTest::newRow("9600 two none") << 47 << 0x08 << 9600 << 2 << Parity::None << 47 << 0x08;
        QTest::newRow("115200 one odd") << 3 << 0x30 << 115200 << 1 << Parity::Odd << 3 << 0x30;
        QTest::newRow("19200 one even") << 23 << 0x20 << 19200 << 1 << Parity::Even << 23 << 0x20;
        QTest::newRow("57600 two even, other bits dropped")
            << 7 << 0xEF << 57600 << 2 << Parity::Even << 7 << 0x28;
        QTest::newRow("unknown divisor keeps the rate")
            << 0 << 0x08 << 38400 << 2 << Parity::None << 11 << 0x08;
        QTest::newRow("parity code 01 keeps the parity")
            << 15 << 0x18 << 28800 << 2 << Parity::Odd << 15 << 0x38;
    }
    void imageCodes()
    {
        QFETCH(int, divisor);
        QFETCH(int, flags);
        QFETCH(int, baud);
        QFETCH(int, stopBits);
        QFETCH(Parity, parity);
        QFETCH(int, divisorBack);
        QFETCH(int, flagsBack);
        ConfigImage image{};
        image[MBusSettings::BaudDivisor] = uint8_t(divisor);
        image[MBusSettings::LineFlags] = uint8_t(flags);
        const SerialSettings known{38400, 1, Parity::Odd, EchoMode::On};
        const SerialSettings line = LineOfImage(image, known);
        QCOMPARE(line.BaudRate, baud);
        QCOMPARE(line.StopBits, stopBits);
        QCOMPARE(line.Parity, parity);
        QCOMPARE(line.Echo, EchoMode::On);

        ConfigImage back;
        back.fill(0xAA);
        QVERIFY(StoreMBusSettings(back, 9, line));
        QCOMPARE(int(back[MBusSettings::NetAddress]), 9);
        QCOMPARE(int(back[MBusSettings::BaudDivisor]), divisorBack);
        QCOMPARE(int(back[MBusSettings::LineFlags]), flagsBack);
        QCOMPARE(int(back[MBusSettings::RateByte2]), 115);
        QCOMPARE(int(back[MBusSettings::RateByte3]), 6);
        QCOMPARE(int(back[MBusSettings::Reserved5]), 0xAA);
        QCOMPARE(int(back[MBusSettings::Reserved6]), 0xAA);
    }

    // Settings block 1 cannot hold are refused with the image untouched.
    void imageRefusesUnofferedSettings_data()
    {
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("stopBits");
        QTest::newRow("4800 baud") << 4800 << 2;
        QTest::newRow("0 baud") << 0 << 2;
        QTest::newRow("no stop bit") << 9600 << 0;
        QTest::newRow("three stop bits") << 9600 << 3;
    }
    void imageRefusesUnofferedSettings()
    {
        QFETCH(int, baud);
        QFETCH(int, stopBits);
        ConfigImage image;
        image.fill(0x5A);
        const ConfigImage before = image;
        QVERIFY(!StoreMBusSettings(image, 1, SerialSettings{baud, stopBits, Parity::Even}));
        QVERIFY(image == before);
    }

    // The words of the command line and site files; anything else is
    // refused, case and blanks included. -1: refused.
    void words_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("word");
        QTest::addColumn<int>("value");
        QTest::newRow("parity none") << "parity"
                                     << "none" << int(Parity::None);
        QTest::newRow("parity even") << "parity"
                                     << "even" << int(Parity::Even);
        QTest::newRow("parity odd") << "parity"
                                    << "odd" << int(Parity::Odd);
        QTest::newRow("parity mark") << "parity"
                                     << "mark" << -1;
        QTest::newRow("parity Odd") << "parity"
                                    << "Odd" << -1;
        QTest::newRow("parity empty") << "parity"
                                      << "" << -1;
        QTest::newRow("stop 1") << "stop"
                                << "1" << 1;
        QTest::newRow("stop 2") << "stop"
                                << "2" << 2;
        QTest::newRow("stop 0") << "stop"
                                << "0" << -1;
        QTest::newRow("stop 1.5") << "stop"
                                  << "1.5" << -1;
        QTest::newRow("stop 02") << "stop"
                                 << "02" << -1;
        QTest::newRow("baud 9600") << "baud"
                                   << "9600" << 9600;
        QTest::newRow("baud 115200") << "baud"
                                     << "115200" << 115200;
        QTest::newRow("baud 4800") << "baud"
                                   << "4800" << -1;
        QTest::newRow("baud 1234") << "baud"
                                   << "1234" << -1;
        QTest::newRow("baud 96k") << "baud"
                                  << "96k" << -1;
        QTest::newRow("baud empty") << "baud"
                                    << "" << -1;
        QTest::newRow("echo auto") << "echo"
                                   << "auto" << int(EchoMode::Auto);
        QTest::newRow("echo on") << "echo"
                                 << "on" << int(EchoMode::On);
        QTest::newRow("echo off") << "echo"
                                  << "off" << int(EchoMode::Off);
        QTest::newRow("echo yes") << "echo"
                                  << "yes" << -1;
        QTest::newRow("echo ON") << "echo"
                                 << "ON" << -1;
    }
    void words()
    {
        QFETCH(QString, kind);
        QFETCH(QString, word);
        QFETCH(int, value);
        std::optional<int> read;
        QString back;  // the word the value is written as
        if (kind == QLatin1String("parity")) {
            if (const auto p = ParityFromWord(word)) {
                read = int(*p);
                back = ParityWord(*p);
            }
        } else if (kind == QLatin1String("echo")) {
            if (const auto e = EchoModeFromWord(word)) {
                read = int(*e);
                back = EchoModeWord(*e);
            }
        } else {
            read = kind == QLatin1String("stop") ? StopBitsFromWord(word) : BaudRateFromWord(word);
            if (read)
                back = QString::number(*read);
        }
        QCOMPARE(read.value_or(-1), value);
        if (read)
            QCOMPARE(back, word);
    }

    // What a port is opened with: stop bits 0 one, 2 two; parity 0 none,
    // 1 odd, 2 even; and the character's length on the line.
    void portCodes_data()
    {
        QTest::addColumn<int>("stopBits");
        QTest::addColumn<Parity>("parity");
        QTest::addColumn<int>("stopCode");
        QTest::addColumn<int>("parityCode");
        QTest::addColumn<int>("bitsPerChar");
        QTest::newRow("8N2") << 2 << Parity::None << 2 << 0 << 11;
        QTest::newRow("8O1") << 1 << Parity::Odd << 0 << 1 << 11;
        QTest::newRow("8E1") << 1 << Parity::Even << 0 << 2 << 11;
        QTest::newRow("8E2") << 2 << Parity::Even << 2 << 2 << 12;
        QTest::newRow("8N1") << 1 << Parity::None << 0 << 0 << 10;
    }
    void portCodes()
    {
        QFETCH(int, stopBits);
        QFETCH(Parity, parity);
        QFETCH(int, stopCode);
        QFETCH(int, parityCode);
        QFETCH(int, bitsPerChar);
        const LineSettings codes = PortLineSettings({57600, stopBits, parity, EchoMode::Off});
        QCOMPARE(codes.BaudRate, 57600);
        QCOMPARE(codes.StopBits, stopCode);
        QCOMPARE(codes.Parity, parityCode);
        QCOMPARE(BitsPerChar(codes), bitsPerChar);
    }

    // Stop bits the type should not hold reach no port as one or two.
    void portCodesRefuseOddStopBits()
    {
        QCOMPARE(PortLineSettings({9600, 3, Parity::None, EchoMode::Auto}).StopBits, -1);
        QCOMPARE(PortLineSettings({9600, 0, Parity::None, EchoMode::Auto}).StopBits, -1);
    }
};

QTEST_APPLESS_MAIN(TestLineSettings)
#include "tst_line_settings.moc"
