#include "model/input_type.h"
#include "model/out_data_base.h"

#include <QTest>

Q_DECLARE_METATYPE(OutType)

namespace {
QList<int> Bytes(const ConfigImage& image, int offset, int count)
{
    QList<int> out;
    for (int i = 0; i < count; ++i)
        out.append(image[offset + i]);
    return out;
}

// An image with a different byte everywhere, so that a stray write shows.
ConfigImage Patterned()
{
    ConfigImage image;
    for (int i = 0; i < ConfigImageSize; ++i)
        image[i] = uint8_t(i * 37 + 11);
    return image;
}
}  // namespace

// The byte rules of blocks 2 (input types) and 5 (outputs).
class TestIoBlockRules : public QObject {
    Q_OBJECT
private slots:
    void inputBit_data()
    {
        QTest::addColumn<int>("input");
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("mask");
        QTest::newRow("1") << 1 << 31 << 0x01;
        QTest::newRow("8") << 8 << 31 << 0x80;
        QTest::newRow("9") << 9 << 32 << 0x01;
        QTest::newRow("12") << 12 << 32 << 0x08;
        QTest::newRow("33") << 33 << 35 << 0x01;
        QTest::newRow("64") << 64 << 38 << 0x80;
    }

    // Each input owns exactly one bit; toggling twice restores the image.
    void inputBit()
    {
        QFETCH(int, input);
        QFETCH(int, offset);
        QFETCH(int, mask);
        const ConfigImage before = Patterned();
        ConfigImage image = before;
        const bool wasClosed = before[offset] & mask;
        QCOMPARE(InputContact(image, input),
                 wasClosed ? ContactType::NormallyClosed : ContactType::NormallyOpen);
        const ContactType now = ToggleInputContact(image, input);
        QCOMPARE(now, wasClosed ? ContactType::NormallyOpen : ContactType::NormallyClosed);
        for (int i = 0; i < ConfigImageSize; ++i)
            QCOMPARE(int(image[i]), i == offset ? before[i] ^ mask : int(before[i]));
        ToggleInputContact(image, input);
        QVERIFY(image == before);
        SetInputContact(image, input, ContactType::NormallyClosed);
        QCOMPARE(int(image[offset]), before[offset] | mask);
    }

    void outTypeList_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("fillByte");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("fillText");
        QTest::newRow("0") << 0 << 0 << 0x3C << "  Световая сигнализация"
                           << "Световая";
        QTest::newRow("1") << 1 << 2 << 0x3E << "  Звуковая сигнализация"
                           << "Звуковая";
        QTest::newRow("2") << 2 << 1 << 0x3D << "  Управление"
                           << "Управление";
        QTest::newRow("3") << 3 << 3 << 0x3F << "  Управление с блок."
                           << "Управление с блок.";
    }

    void outTypeList()
    {
        QFETCH(int, position);
        QFETCH(int, code);
        QFETCH(int, fillByte);
        QFETCH(QString, text);
        QFETCH(QString, fillText);
        const auto type = OutTypeAt(position);
        QVERIFY(type);
        QCOMPARE(int(*type), code);
        QCOMPARE(ListPositionOf(*type), position);
        QCOMPARE(int(OutTypeFillByte(*type)), fillByte);
        QCOMPARE(QString::fromUtf8(OutTypeText(*type)), text);
        QCOMPARE(QString::fromUtf8(OutTypeList[position].FillText), fillText);
        // Bits 6..7 and 2..5 do not change the type.
        QCOMPARE(OutTypeOf(uint8_t(0xC0 | 0x14 | code)), *type);
    }

    void outTypeOutsideList()
    {
        QVERIFY(!OutTypeAt(-1));
        QVERIFY(!OutTypeAt(4));
    }

    void outLocks_data()
    {
        QTest::addColumn<OutType>("type");
        QTest::addColumn<bool>("ack");
        QTest::addColumn<bool>("reset");
        QTest::newRow("light") << OutType::LightSignalling << true << true;
        QTest::newRow("sound") << OutType::SoundSignalling << true << true;
        QTest::newRow("control") << OutType::Control << false << false;
        QTest::newRow("control with blocking") << OutType::ControlWithBlocking << false << true;
    }

    void outLocks()
    {
        QFETCH(OutType, type);
        QFETCH(bool, ack);
        QFETCH(bool, reset);
        QCOMPARE(OutActionAllowed(type, OutAction::Ack), ack);
        QCOMPARE(OutActionAllowed(type, OutAction::Reset), reset);
    }

    void outDefaults_data()
    {
        QTest::addColumn<int>("output1");
        QTest::addColumn<int>("sound");
        QTest::addColumn<int>("light");
        QTest::newRow("bits 6-7 clear") << 0x00 << 0x3E << 0x3C;
        QTest::newRow("bits 6-7 set") << 0xFF << 0xFE << 0xFC;
        QTest::newRow("bit 6 only") << 0x41 << 0x7E << 0x7C;
        QTest::newRow("bit 7 only") << 0x83 << 0xBE << 0xBC;
    }

    void outDefaults()
    {
        QFETCH(int, output1);
        QFETCH(int, sound);
        QFETCH(int, light);
        const ConfigImage before = Patterned();
        ConfigImage image = before;
        image[141] = uint8_t(output1);
        DefaultOutDataBaseBytes(image);
        QCOMPARE(Bytes(image, 141, 8),
                 (QList<int>{sound, sound, sound, sound, light, light, light, light}));
        QCOMPARE(Bytes(image, 149, 16), QList<int>(16, 255));
        QCOMPARE(int(image[140]), int(before[140]));
        QCOMPARE(int(image[165]), int(before[165]));
    }

    void externalInputText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("code");  // -1: out of range
        QTest::newRow("empty") << "" << 255;
        QTest::newRow("1") << "1" << 0;
        QTest::newRow("64") << "64" << 63;
        QTest::newRow("leading zero") << "07" << 6;
        QTest::newRow("0") << "0" << -1;
        QTest::newRow("00") << "00" << -1;
        QTest::newRow("65") << "65" << -1;
        QTest::newRow("99") << "99" << -1;
        QTest::newRow("wraps past 2^32") << "4294967297" << -1;
        QTest::newRow("letter") << "1a" << -1;
        QTest::newRow("sign") << "+5" << -1;
        QTest::newRow("blank") << " 5" << -1;
    }

    void externalInputText()
    {
        QFETCH(QString, text);
        QFETCH(int, code);
        const auto got = ExternalInputCodeFromText(text);
        QCOMPARE(got ? int(*got) : -1, code);
    }
};

QTEST_APPLESS_MAIN(TestIoBlockRules)
#include "tst_io_block_rules.moc"
