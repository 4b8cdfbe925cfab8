#include "model/address_rule.h"
#include "model/bits.h"
#include "model/command_error.h"
#include "model/config_image.h"
#include "model/device_models.h"

#include <QTest>

#include <utility>

// A payload view is only taken of an image that outlives the statement.
template <typename Image>
concept HasPayloadView = requires(Image&& image)
{
    BlockPayload(std::forward<Image>(image), 0);
};
static_assert(HasPayloadView<ConfigImage&> && HasPayloadView<const ConfigImage&>);
static_assert(!HasPayloadView<ConfigImage> && !HasPayloadView<const ConfigImage>);

class TestModel : public QObject {
    Q_OBJECT
private slots:
    void directoryIsContiguous()
    {
        int offset = 0;
        int payloads = 0;
        for (const ConfigBlock& b : BlockDirectory) {
            QCOMPARE(b.Offset, offset);
            offset = b.CrcOffset() + 2;
            payloads += b.Length;
        }
        QCOMPARE(offset, ConfigImageSize);
        QCOMPARE(payloads, 462);
        QCOMPARE(BlockDirectory[1].CrcOffset(), 29);
        QCOMPARE(BlockDirectory[9].CrcOffset(), 480);
    }

    void startingStateIsZero()
    {
        ConfigState state;
        for (uint8_t b : state.Image)
            QCOMPARE(int(b), 0);
        QCOMPARE(state.FamilyCode, 0);
        QVERIFY(!state.HasFileName);
        QVERIFY(state.CurrentFileName.isEmpty());
    }

    void payloadView()
    {
        ConfigImage image{};
        auto p = BlockPayload(image, 3);
        QCOMPARE(int(p.size()), 64);
        p[0] = 0xAB;
        QCOMPARE(int(image[41]), 0xAB);
    }

    void findModel_data()
    {
        QTest::addColumn<int>("b0");
        QTest::addColumn<int>("b1");
        QTest::addColumn<int>("b2");
        QTest::addColumn<int>("family");
        QTest::addColumn<int>("row");  // -1: no model
        QTest::newRow("ОРЛ-07") << 2 << 1 << 32 << 0 << 0;
        QTest::newRow("ОРЛ-07 bytes, family 1") << 2 << 1 << 32 << 1 << -1;
        QTest::newRow("ОРЛ-07-01") << 0 << 0 << 32 << 0 << 1;
        QTest::newRow("ОРЛ-07-02") << 1 << 1 << 16 << 0 << 2;
        QTest::newRow("ОРЛ-07-03") << 0 << 0 << 16 << 0 << 3;
        QTest::newRow("12 windows, family 0") << 0 << 0 << 12 << 0 << -1;
        QTest::newRow("ОРЛ-09") << 0 << 0 << 12 << 1 << 4;
        QTest::newRow("2, 1, 16") << 2 << 1 << 16 << 0 << -1;
        QTest::newRow("high byte") << 0 << 0 << 0x8C << 1 << -1;
    }

    void findModel()
    {
        QFETCH(int, b0);
        QFETCH(int, b1);
        QFETCH(int, b2);
        QFETCH(int, family);
        QFETCH(int, row);
        const auto found = FindDeviceModel(uint8_t(b0), uint8_t(b1), uint8_t(b2), family);
        QCOMPARE(found.value_or(-1), row);
    }

    void everyRowRoundTrips()
    {
        for (int row = 0; row < int(DeviceModels.size()); ++row) {
            ConfigState state;
            state.Image[3] = 0xFC;
            ApplyDeviceModel(row, state);
            QCOMPARE(FindDeviceModel(state).value_or(-1), row);
            QCOMPARE(int(state.Image[3]), 0xFC);
        }
        QCOMPARE(QString::fromUtf8(DeviceModels[1].Composition), QStringLiteral("\u2014\u2014"));
    }

    void windowTexts()
    {
        QCOMPARE(WindowCountText(32), QStringLiteral("32 окна"));
        QCOMPARE(WindowCountText(16), QStringLiteral("16 окон"));
        QCOMPARE(WindowCountText(12), QStringLiteral("12 окон"));
    }

    void bits()
    {
        uint8_t bytes[8] = {};
        SetBit(11, bytes, true);
        QCOMPARE(int(bytes[1]), 0x08);
        QVERIFY(TestBit(11, bytes));
        QVERIFY(!TestBit(10, bytes));
        SetBit(63, bytes, true);
        QCOMPARE(int(bytes[7]), 0x80);
        SetBit(11, bytes, false);
        QCOMPARE(int(bytes[1]), 0);
        QCOMPARE(int(bytes[7]), 0x80);
    }

    void addressClamp_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("result");  // "" = unchanged
        QTest::newRow("300") << "300"
                             << "255";
        QTest::newRow("256") << "256"
                             << "255";
        QTest::newRow("255") << "255"
                             << "";
        QTest::newRow("1") << "1"
                           << "";
        QTest::newRow("empty") << ""
                               << "1";
        QTest::newRow("0") << "0"
                           << "1";
        QTest::newRow("negative") << " -5"
                                  << "1";
        QTest::newRow("pasted 12ab") << "12ab"
                                     << "";
        QTest::newRow("letters") << "ab"
                                 << "1";
        QTest::newRow("huge") << "99999999999999999999999"
                              << "255";
        QTest::newRow("leading zeros") << "007"
                                       << "";
    }

    void addressClamp()
    {
        QFETCH(QString, text);
        QFETCH(QString, result);
        QCOMPARE(ClampedAddressText(text).value_or(QString()), result);
    }

    void addressKeys()
    {
        QVERIFY(AddressKeyAccepted(QLatin1Char('0')));
        QVERIFY(AddressKeyAccepted(QLatin1Char('9')));
        QVERIFY(AddressKeyAccepted(QChar(8)));
        QVERIFY(!AddressKeyAccepted(QLatin1Char('a')));
        QVERIFY(!AddressKeyAccepted(QLatin1Char('-')));
        QVERIFY(!AddressKeyAccepted(QChar(0x0663)));  // an Arabic-Indic digit
    }

    void strToInt()
    {
        QCOMPARE(StrToInt("42"), 42);
        QCOMPARE(StrToInt(" -7"), -7);
        QCOMPARE(StrToInt("+3"), 3);
        for (const QString& bad : {QString("12ab"), QString(""), QString("-"), QString("1 "),
                                   QString("99999999999"), QString("$10")}) {
            try {
                StrToInt(bad);
                QFAIL(qPrintable("accepted " + bad));
            } catch (const CommandError& e) {
                QCOMPARE(e.Message(), QString("'%1' is not a valid integer value").arg(bad));
            }
        }
    }
};

QTEST_APPLESS_MAIN(TestModel)
#include "tst_model.moc"
