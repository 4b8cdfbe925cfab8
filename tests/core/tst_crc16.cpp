#include "link/frame_crc.h"
#include "model/block_crc.h"
#include "model/crc16.h"

#include <QTest>

#include <vector>

namespace {
std::vector<uint8_t> Bytes(std::initializer_list<int> list)
{
    std::vector<uint8_t> v;
    for (int b : list)
        v.push_back(uint8_t(b));
    return v;
}
}  // namespace

class TestCrc16 : public QObject {
    Q_OBJECT
private slots:
    void table()
    {
        QCOMPARE(Crc16Table[0], uint16_t(0x0000));
        QCOMPARE(Crc16Table[1], uint16_t(0xC0C1));
        QCOMPARE(Crc16Table[255], uint16_t(0x4040));
    }

    void checkValue()
    {
        const char* digits = "123456789";
        QCOMPARE(Crc16(reinterpret_cast<const uint8_t*>(digits), 9), uint16_t(0x374B));
    }

    void emptyRun() { QCOMPARE(Crc16(nullptr, 0), uint16_t(0xFFFF)); }

    void requestFrames_data()
    {
        QTest::addColumn<std::vector<uint8_t>>("frame");
        QTest::newRow("identification") << Bytes({0x01, 0x11, 0xC0, 0x2C});
        QTest::newRow("status poll") << Bytes({0x01, 0x0E, 0x81, 0xE4});
        QTest::newRow("read version") << Bytes({0x01, 0x46, 0x00, 0x01, 0x00, 0x0D, 0x18});
        QTest::newRow("apply") << Bytes({0x01, 0x46, 0x00, 0x01, 0x03, 0x4D, 0x19});
        QTest::newRow("read block 0") << Bytes({0x01, 0x46, 0x00, 0x02, 0x01, 0x00, 0x28, 0x55});
    }

    // Closing the request without its CRC reproduces the known frame, the
    // whole frame checks to 0, and any single changed byte is caught.
    void requestFrames()
    {
        QFETCH(std::vector<uint8_t>, frame);
        std::vector<uint8_t> buf(frame.begin(), frame.end() - 2);
        buf.resize(frame.size() + 4);
        QCOMPARE(CloseFrame(buf.data(), int(frame.size()) - 2), int(frame.size()));
        buf.resize(frame.size());
        QCOMPARE(buf, frame);
        QCOMPARE(Crc16(frame.data(), frame.size()), uint16_t(0));
        for (size_t i = 0; i < frame.size(); ++i) {
            for (int bit = 0; bit < 8; ++bit) {
                std::vector<uint8_t> bad = frame;
                bad[i] ^= uint8_t(1 << bit);
                QVERIFY2(Crc16(bad.data(), bad.size()) != 0, qPrintable(QString::number(i)));
            }
        }
    }

    // An intact answer from another address or with another function still checks.
    void foreignAnswerStillIntact()
    {
        std::vector<uint8_t> answer = Bytes({0x07, 0x2B, 0x00, 0x00, 0, 0});
        CloseFrame(answer.data(), 4);
        QCOMPARE(Crc16(answer.data(), answer.size()), uint16_t(0));
    }

    void statusText()
    {
        QCOMPARE(CrcStatusText(0), QStringLiteral("CRC: 0"));
        QCOMPARE(CrcStatusText(65535), QStringLiteral("CRC: 65535"));
    }

    void stampBlock1OfZeros()
    {
        ConfigImage image{};
        StampBlockCrcs(image);
        QCOMPARE(int(image[29]), 0x1B);
        QCOMPARE(int(image[30]), 0x00);
        QVERIFY(CheckBlockCrcs(image));
    }

    void allZeroImageFailsAtBlock0()
    {
        ConfigImage image{};
        QCOMPARE(FirstCorruptBlock(image), 0);
        QVERIFY(!CheckBlockCrcs(image));
    }

    // After stamping, every single changed byte of any payload or CRC word
    // is caught, and the failure names the first block concerned.
    void everyChangedByteIsCaught()
    {
        ConfigImage image{};
        for (int i = 0; i < ConfigImageSize; ++i)
            image[i] = uint8_t(i * 7 + 3);
        StampBlockCrcs(image);
        QVERIFY(CheckBlockCrcs(image));
        for (int n = 0; n < ConfigBlockCount; ++n) {
            const ConfigBlock& b = BlockDirectory[n];
            for (int i = b.Offset; i < b.CrcOffset() + 2; ++i) {
                ConfigImage bad = image;
                bad[i] ^= 0x40;
                QCOMPARE(FirstCorruptBlock(bad), n);
            }
        }
    }

    void checksStopAtFirstFailure()
    {
        ConfigImage image{};
        StampBlockCrcs(image);
        image[BlockDirectory[9].Offset] = 1;
        image[BlockDirectory[4].Offset] = 1;
        QCOMPARE(FirstCorruptBlock(image), 4);
    }
};

QTEST_APPLESS_MAIN(TestCrc16)
#include "tst_crc16.moc"
