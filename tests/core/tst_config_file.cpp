#include "file_outcomes.h"
#include "files/config_file.h"
#include "fs_faults.h"
#include "model/block_crc.h"
#include "model/command_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <sys/fsuid.h>
#include <sys/resource.h>
#include <bit>
#include <climits>
#include <csignal>
#include <memory>

namespace {
const QString Corrupt = QStringLiteral("Файл конфигурации поврежден");
const QString Ok = QStringLiteral("ok");
const QString Imported = QStringLiteral("import");
const QString Aborted = QStringLiteral("abort");

QString VersionText(const char* version)
{
    return QStringLiteral("Несоответствие версии файла и программатора, файл ") +
           QLatin1String(version);
}

// An image with different bytes in every block and its CRC words stamped.
ConfigImage SampleImage(int seed = 7)
{
    ConfigImage image{};
    for (int i = 0; i < ConfigImageSize; ++i)
        image[i] = uint8_t(i * 31 + seed);
    StampBlockCrcs(image);
    return image;
}

QByteArray FileBytes(const ConfigImage& image, int32_t family = 0)
{
    return EncodeConfigFile(image, family, QDateTime(QDate(2024, 2, 29), QTime(18, 0)));
}

QByteArray WithVersion(QByteArray bytes, int32_t version)
{
    qToLittleEndian<qint32>(version, bytes.data());
    return bytes;
}

QByteArray WithByte(QByteArray bytes, int offset, uint8_t value)
{
    bytes[offset] = char(value);
    return bytes;
}

QByteArray Valid(int32_t version = FileVersion)
{
    return WithVersion(FileBytes(SampleImage()), version);
}

// A valid file whose very last byte (block 9's CRC word, low half) is 0, so
// that zero-filling a file cut before that byte would make it check.
QByteArray ValidEndingInZero()
{
    for (int a = 0; a < 256; ++a) {
        for (int b = 0; b < 256; ++b) {
            ConfigImage image = SampleImage();
            image[BlockDirectory[9].Offset] = uint8_t(a);
            image[BlockDirectory[9].Offset + 1] = uint8_t(b);
            StampBlockCrcs(image);
            if (image[ConfigImageSize - 1] == 0)
                return FileBytes(image);
        }
    }
    return {};
}

double SavedAtField(const QByteArray& bytes)
{
    return std::bit_cast<double>(qFromLittleEndian<quint64>(bytes.constData() + 4));
}

// What decoding gives: Ok, Imported, Aborted or the error's message.
QString Outcome(const QByteArray& bytes, bool answer, int* asks, LoadedConfig* loaded = nullptr)
{
    *asks = 0;
    auto ask = [&]() {
        ++*asks;
        return answer;
    };
    try {
        LoadedConfig c = DecodeConfigFile(bytes, ask);
        if (loaded)
            *loaded = c;
        return c.IsImport ? Imported : Ok;
    } catch (const CommandAbort&) {
        return Aborted;
    } catch (const CommandError& e) {
        return e.Message();
    }
}

QString LoadOutcome(const QString& path, int* asks)
{
    *asks = 0;
    try {
        LoadedConfig c = LoadConfigFile(path, [&]() {
            ++*asks;
            return true;
        });
        return c.IsImport ? Imported : Ok;
    } catch (const CommandAbort&) {
        return Aborted;
    } catch (const CommandError& e) {
        return e.Message();
    }
}

enum class WriteFault { ReadOnlyFolder, ParentIsFile, TargetIsFolder, WriteFails };
}  // namespace

Q_DECLARE_METATYPE(WriteFault)

class TestConfigFile : public QObject {
    Q_OBJECT
private slots:
    void encodeLayout()
    {
        const ConfigImage image = SampleImage();
        const QByteArray bytes = EncodeConfigFile(image, 1, QDateTime(QDate(2000, 1, 1), QTime()));
        QCOMPARE(bytes.size(), ConfigFileSize);
        QCOMPARE(bytes.left(4), QByteArray("\xAA\x00\x00\x00", 4));
        QCOMPARE(bytes.mid(13, 19), QByteArray(19, '\0'));
        QCOMPARE(bytes.mid(ConfigFileHeaderSize),
                 QByteArray(reinterpret_cast<const char*>(image.data()), ConfigImageSize));
    }

    void savedAt_data()
    {
        QTest::addColumn<QDateTime>("when");
        QTest::addColumn<double>("days");
        QTest::newRow("day zero") << QDateTime(QDate(1899, 12, 30), QTime(0, 0)) << 0.0;
        QTest::newRow("noon 1900-01-01") << QDateTime(QDate(1900, 1, 1), QTime(12, 0)) << 2.5;
        QTest::newRow("milliseconds kept")
            << QDateTime(QDate(1900, 1, 1), QTime(12, 0, 0, 500)) << 2.5 + 500.0 / 86400000.0;
        QTest::newRow("leap day evening")
            << QDateTime(QDate(2024, 2, 29), QTime(18, 0)) << 45351.75;
        QTest::newRow("last millisecond of a day")
            << QDateTime(QDate(1899, 12, 31), QTime(23, 59, 59, 999))
            << 1.0 + 86399999.0 / 86400000.0;
        QTest::newRow("day before day zero")
            << QDateTime(QDate(1899, 12, 29), QTime(6, 0)) << -1.25;
    }

    // The header field holds the same value, bit for bit, at offset 4.
    void savedAt()
    {
        QFETCH(QDateTime, when);
        QFETCH(double, days);
        QCOMPARE(DaysSince1899(when), days);
        const QByteArray bytes = EncodeConfigFile(SampleImage(), 0, when);
        QCOMPARE(std::bit_cast<quint64>(SavedAtField(bytes)), std::bit_cast<quint64>(days));
    }

    void invalidTimeIsZero() { QCOMPARE(DaysSince1899(QDateTime()), 0.0); }

    void familyByte_data()
    {
        QTest::addColumn<int>("family");
        QTest::addColumn<int>("byte12");
        QTest::addColumn<int>("loadedBack");
        QTest::newRow("ОРЛ-07") << 0 << 0x00 << 0;
        QTest::newRow("ОРЛ-09") << 1 << 0x01 << 1;
        QTest::newRow("-1") << -1 << 0xFF << -1;
        QTest::newRow("low byte only") << 0x1234 << 0x34 << 0x34;
        QTest::newRow("256") << 256 << 0x00 << 0;
        QTest::newRow("128 reads back signed") << 128 << 0x80 << -128;
    }

    // Byte 12 is the family's low byte; the round trip gives the image back
    // byte for byte, CRC words included, and the family as a signed byte.
    void familyByte()
    {
        QFETCH(int, family);
        QFETCH(int, byte12);
        QFETCH(int, loadedBack);
        const ConfigImage image = SampleImage(family & 0xFF);
        const QByteArray bytes = FileBytes(image, family);
        QCOMPARE(int(uint8_t(bytes[12])), byte12);
        int asks = 0;
        LoadedConfig loaded;
        QCOMPARE(Outcome(bytes, false, &asks, &loaded), Ok);
        QCOMPARE(asks, 0);
        QCOMPARE(loaded.FamilyCode, loadedBack);
        QVERIFY(!loaded.IsImport);
        QVERIFY(loaded.Image == image);
    }

    void familyFromByte12_data()
    {
        QTest::addColumn<int>("byte12");
        QTest::addColumn<int>("family");
        QTest::newRow("0x00") << 0x00 << 0;
        QTest::newRow("0x01") << 0x01 << 1;
        QTest::newRow("0x7F") << 0x7F << 127;
        QTest::newRow("0x80") << 0x80 << -128;
        QTest::newRow("0xFF") << 0xFF << -1;
    }

    void familyFromByte12()
    {
        QFETCH(int, byte12);
        QFETCH(int, family);
        int asks = 0;
        LoadedConfig loaded;
        QCOMPARE(Outcome(WithByte(Valid(), 12, uint8_t(byte12)), false, &asks, &loaded), Ok);
        QCOMPARE(loaded.FamilyCode, family);
    }

    void decode_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<int>("asks");

        const QByteArray valid = Valid();
        QTest::newRow("1.70") << valid << false << Ok << 0;
        QTest::newRow("reserved bytes and time ignored")
            << WithByte(WithByte(WithByte(valid, 31, 0x5A), 13, 1), 4, 0x77) << false << Ok << 0;
        QTest::newRow("bytes after the 514th ignored")
            << valid + QByteArray(300, '\xEE') << false << Ok << 0;
        QTest::newRow("one more byte ignored") << valid + QByteArray(1, '\x01') << false << Ok << 0;

        // Version.
        QTest::newRow("1.60 accepted") << Valid(160) << true << Imported << 1;
        QTest::newRow("1.60 declined") << Valid(160) << false << Aborted << 1;
        QTest::newRow("150") << Valid(150) << true << VersionText("v1.50") << 0;
        QTest::newRow("200") << Valid(200) << true << VersionText("v2.0") << 0;
        QTest::newRow("205") << Valid(205) << true << VersionText("v2.5") << 0;
        QTest::newRow("171") << Valid(171) << true << VersionText("v1.71") << 0;
        QTest::newRow("0") << Valid(0) << true << VersionText("v0.0") << 0;
        QTest::newRow("-150") << Valid(-150) << true << VersionText("v-1.50") << 0;
        QTest::newRow("-5") << Valid(-5) << true << VersionText("v-0.5") << 0;
        QTest::newRow("INT_MAX") << Valid(INT_MAX) << true << VersionText("v21474836.47") << 0;
        QTest::newRow("INT_MIN") << Valid(INT_MIN) << true << VersionText("v-21474836.48") << 0;
        QTest::newRow("170 in the high byte")
            << WithVersion(valid, 170 << 24) << true << VersionText("v-14428405.76") << 0;

        // Block CRC words.
        const int block4 = BlockDirectory[4].Offset + ConfigFileHeaderSize;
        QTest::newRow("block 4 byte changed")
            << WithByte(valid, block4 + 5, uint8_t(valid[block4 + 5] ^ 0x10)) << false << Corrupt
            << 0;
        QTest::newRow("block 0 first byte changed")
            << WithByte(valid, 32, uint8_t(valid[32] ^ 1)) << false << Corrupt << 0;
        QTest::newRow("block 9 CRC word changed")
            << WithByte(valid, 513, uint8_t(valid[513] ^ 0x80)) << false << Corrupt << 0;
        QTest::newRow("all-zero image")
            << WithVersion(QByteArray(514, '\0'), 170) << false << Corrupt << 0;

        // Sizes of older formats, whatever their contents.
        QTest::newRow("275 with a 1.70 header")
            << valid.left(275) << true << VersionText("v1.20") << 0;
        QTest::newRow("470 with a 1.70 header")
            << valid.left(470) << true << VersionText("v1.30") << 0;
        QTest::newRow("275 with a 1.60 header")
            << Valid(160).left(275) << true << VersionText("v1.20") << 0;
        QTest::newRow("470 with version 150")
            << Valid(150).left(470) << true << VersionText("v1.30") << 0;

        // Short files: missing bytes are missing, never zero data.
        QTest::newRow("empty") << QByteArray() << true << VersionText("v0.0") << 0;
        QTest::newRow("2 bytes of 150")
            << QByteArray("\x96\x00", 2) << true << VersionText("v1.50") << 0;
        QTest::newRow("2 zero bytes") << QByteArray(2, '\0') << true << VersionText("v0.0") << 0;
        QTest::newRow("1 byte of 170") << QByteArray("\xAA", 1) << true << Corrupt << 0;
        QTest::newRow("header of 170 only") << valid.left(32) << true << Corrupt << 0;
        QTest::newRow("100 bytes of 1.70") << valid.left(100) << true << Corrupt << 0;
        QTest::newRow("513 bytes of 1.70") << valid.left(513) << true << Corrupt << 0;
        const QByteArray endsInZero = ValidEndingInZero();
        QTest::newRow("whole file ending in 0") << endsInZero << true << Ok << 0;
        QTest::newRow("same cut before its 0") << endsInZero.left(513) << true << Corrupt << 0;
        QTest::newRow("100 bytes of 1.60") << Valid(160).left(100) << true << Corrupt << 0;
        QTest::newRow("513 bytes of 1.60") << Valid(160).left(513) << true << Corrupt << 0;
        QTest::newRow("100 bytes of 150")
            << Valid(150).left(100) << true << VersionText("v1.50") << 0;

        // Order: size, version, CRC.
        const QByteArray bad = WithByte(valid, 200, uint8_t(valid[200] ^ 0xFF));
        QTest::newRow("version before CRC")
            << WithVersion(bad, 150) << true << VersionText("v1.50") << 0;
        QTest::newRow("import question before CRC, declined")
            << WithVersion(bad, 160) << false << Aborted << 1;
        QTest::newRow("import question before CRC, accepted")
            << WithVersion(bad, 160) << true << Corrupt << 1;
        QTest::newRow("size before CRC") << bad.left(470) << true << VersionText("v1.30") << 0;
    }

    void decode()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, answer);
        QFETCH(QString, outcome);
        QFETCH(int, asks);
        int asked = 0;
        QCOMPARE(Outcome(bytes, answer, &asked), outcome);
        QCOMPARE(asked, asks);
    }

    // An import converts no byte: the image is the file's, as for 1.70.
    void importKeepsBytes()
    {
        const ConfigImage image = SampleImage(99);
        const QByteArray bytes = WithVersion(FileBytes(image, 1), 160);
        int asks = 0;
        LoadedConfig loaded;
        QCOMPARE(Outcome(bytes, true, &asks, &loaded), Imported);
        QVERIFY(loaded.Image == image);
        QCOMPARE(loaded.FamilyCode, 1);
    }

    void importWithoutQuestionIsDeclined()
    {
        QVERIFY_THROWS_EXCEPTION(CommandAbort, DecodeConfigFile(Valid(160), nullptr));
    }

    void load_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<int>("asks");
        QTest::newRow("1.70") << Valid() << Ok << 0;
        QTest::newRow("1.60") << Valid(160) << Imported << 1;
        QTest::newRow("150") << Valid(150) << VersionText("v1.50") << 0;
        QTest::newRow("bytes after the 514th") << Valid() + QByteArray(5000, 'x') << Ok << 0;
        QTest::newRow("275 bytes") << Valid(160).left(275) << VersionText("v1.20") << 0;
        QTest::newRow("470 bytes") << Valid().left(470) << VersionText("v1.30") << 0;
        QTest::newRow("100 bytes") << Valid().left(100) << Corrupt << 0;
        QTest::newRow("2 bytes") << QByteArray("\x96\x00", 2) << VersionText("v1.50") << 0;
        QTest::newRow("truncated 1.60") << Valid(160).left(400) << Corrupt << 0;
        QTest::newRow("empty") << QByteArray() << VersionText("v0.0") << 0;
        QTest::newRow("block 4 changed")
            << WithByte(Valid(), 32 + BlockDirectory[4].Offset, 0xA5) << Corrupt << 0;
    }

    void load()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, outcome);
        QFETCH(int, asks);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("panel7.cfg"));
        QVERIFY(PutFile(path, bytes));
        int asked = 0;
        QCOMPARE(LoadOutcome(path, &asked), outcome);
        QCOMPARE(asked, asks);
    }

    void loadGivesImageAndFamily()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("a.cfg"));
        const ConfigImage image = SampleImage(3);
        QVERIFY(PutFile(path, FileBytes(image, 1)));
        const LoadedConfig loaded = LoadConfigFile(path, nullptr);
        QVERIFY(loaded.Image == image);
        QCOMPARE(loaded.FamilyCode, 1);
        QVERIFY(!loaded.IsImport);
    }

    void loadFailureNamesFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("isFolder");
        QTest::newRow("no such file") << QStringLiteral("missing.cfg") << false;
        QTest::newRow("a folder") << QStringLiteral("folder.cfg") << true;
    }

    // Relative names are reported with their full path.
    void loadFailureNamesFile()
    {
        QFETCH(QString, name);
        QFETCH(bool, isFolder);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        if (isFolder)
            QVERIFY(QDir(dir.path()).mkdir(name));
        const QString oldCurrent = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        int asks = 0;
        const QString message = LoadOutcome(name, &asks);
        QDir::setCurrent(oldCurrent);
        const QString prefix = QStringLiteral("Не удается открыть файл ") +
                               QFileInfo(dir.filePath(name)).absoluteFilePath() +
                               QStringLiteral(": ");
        QVERIFY2(message.startsWith(prefix), qPrintable(message));
        QVERIFY2(message.size() > prefix.size(), "the system's reason is missing");
    }

    // Reading a process's own memory at address 0 fails after a good open.
    void readErrorNamesFile()
    {
        const QString path = QStringLiteral("/proc/self/mem");
        QFile probe(path);
        if (!probe.open(QIODevice::ReadOnly))
            QSKIP("no /proc/self/mem to read from");
        char c;
        if (probe.read(&c, 1) >= 0)
            QSKIP("reading /proc/self/mem at 0 does not fail here");
        int asks = 0;
        const QString message = LoadOutcome(path, &asks);
        const QString prefix = QStringLiteral("Не удается прочитать файл /proc/self/mem: ");
        QVERIFY2(message.startsWith(prefix), qPrintable(message));
        QVERIFY(message.size() > prefix.size());
    }

    void writeThenLoad()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("panel7.cfg"));
        QVERIFY(PutFile(path, QByteArray(2000, 'o')));  // replaced, not overwritten in place
        const ConfigImage image = SampleImage(42);
        const QByteArray bytes = FileBytes(image, 1);
        WriteConfigFile(path, bytes);
        QCOMPARE(FileContents(path), bytes);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{QStringLiteral("panel7.cfg")});
        const LoadedConfig loaded = LoadConfigFile(path, nullptr);
        QVERIFY(loaded.Image == image);
        QCOMPARE(loaded.FamilyCode, 1);
    }

    void writeFailure_data()
    {
        QTest::addColumn<WriteFault>("fault");
        QTest::newRow("read-only folder") << WriteFault::ReadOnlyFolder;
        QTest::newRow("parent is a regular file") << WriteFault::ParentIsFile;
        QTest::newRow("target is a folder") << WriteFault::TargetIsFolder;
        QTest::newRow("write fails after create") << WriteFault::WriteFails;
    }

    // The message names the file with the system's reason; whatever stood
    // at the target stays as it was and no temporary file is left behind.
    void writeFailure()
    {
        QFETCH(WriteFault, fault);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QByteArray old = Valid(150) + QByteArray("old");
        const QByteArray bytes = FileBytes(SampleImage(5), 1);
        const QString folder = dir.path();
        QString path = dir.filePath(QStringLiteral("panel7.cfg"));
        QString message;

        switch (fault) {
            case WriteFault::ReadOnlyFolder: {
                QVERIFY(PutFile(path, old));
                const auto readOnly = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                      QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
                QVERIFY(QFile::setPermissions(folder, readOnly));
                // Root passes permission checks; check files as an ordinary user then.
                UnprivilegedFiles asUser(dir.filePath(QStringLiteral("probe")));
                if (asUser.CanStillWrite()) {
                    QFile::setPermissions(folder, readOnly | QFile::WriteOwner);
                    QSKIP("permission bits do not stop writes here");
                }
                message = WriteOutcome(path, bytes);
                asUser.Restore();
                QVERIFY(QFile::setPermissions(folder, readOnly | QFile::WriteOwner));
                break;
            }
            case WriteFault::ParentIsFile:
                QVERIFY(PutFile(dir.filePath(QStringLiteral("notafolder")), old));
                path = dir.filePath(QStringLiteral("notafolder/panel7.cfg"));
                message = WriteOutcome(path, bytes);
                path = dir.filePath(QStringLiteral("notafolder"));  // the file that must survive
                break;
            case WriteFault::TargetIsFolder:
                QVERIFY(QDir(folder).mkdir(QStringLiteral("panel7.cfg")));
                QVERIFY(PutFile(dir.filePath(QStringLiteral("panel7.cfg/inside")), old));
                message = WriteOutcome(path, bytes);
                path = dir.filePath(QStringLiteral("panel7.cfg/inside"));
                break;
            case WriteFault::WriteFails: {
                QVERIFY(PutFile(path, old));
                {
                    FileSizeLimit limit(100);  // nothing may be printed while it holds
                    if (limit.Active())
                        message = WriteOutcome(path, bytes);
                }
                if (message.isEmpty())
                    QSKIP("cannot limit the file size");
                break;
            }
        }

        const QString target = fault == WriteFault::ParentIsFile
                                   ? dir.filePath(QStringLiteral("notafolder/panel7.cfg"))
                                   : dir.filePath(QStringLiteral("panel7.cfg"));
        const QString prefix = QStringLiteral("Не удается записать файл ") +
                               QFileInfo(target).absoluteFilePath() + QStringLiteral(": ");
        QVERIFY2(message.startsWith(prefix), qPrintable(message));
        QVERIFY2(message.size() > prefix.size(), "the system's reason is missing");
        QCOMPARE(FileContents(path), old);
        const QStringList left =
            QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        QCOMPARE(left.size(), 1);
    }

    // A folder where the user may not create files cannot take the
    // temporary file of a safe save; a configuration file there that the
    // user may write is then written in place: whole, or with a message
    // naming it when a write fails.
    void writeInPlaceInReadOnlyFolder_data()
    {
        QTest::addColumn<bool>("writeFails");
        QTest::newRow("written") << false;
        QTest::newRow("a write fails") << true;
    }
    void writeInPlaceInReadOnlyFolder()
    {
        QFETCH(bool, writeFails);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString folder = dir.path();
        const QString path = dir.filePath(QStringLiteral("panel7.cfg"));
        QVERIFY(PutFile(path, QByteArray(600, 'o')));  // longer than a configuration file
        const auto all = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                         QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;
        QVERIFY(QFile::setPermissions(path, all));
        const auto readOnly = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                              QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
        QVERIFY(QFile::setPermissions(folder, readOnly));
        const QByteArray bytes = FileBytes(SampleImage(9), 0);
        QString message;
        {
            UnprivilegedFiles asUser(dir.filePath(QStringLiteral("probe")));
            if (asUser.CanStillWrite()) {
                QFile::setPermissions(folder, readOnly | QFile::WriteOwner);
                QSKIP("permission bits do not stop writes here");
            }
            std::unique_ptr<FileSizeLimit> limit;
            if (writeFails)
                limit = std::make_unique<FileSizeLimit>(100);
            message = WriteOutcome(path, bytes);
        }
        QVERIFY(QFile::setPermissions(folder, readOnly | QFile::WriteOwner));
        if (!writeFails) {
            QCOMPARE(message, Ok);
            QCOMPARE(FileContents(path), bytes);
        } else {
            const QString prefix = QStringLiteral("Не удается записать файл ") +
                                   QFileInfo(path).absoluteFilePath() + QStringLiteral(": ");
            QVERIFY2(message.startsWith(prefix), qPrintable(message));
            QVERIFY2(message.size() > prefix.size(), "the system's reason is missing");
            QCOMPARE(FileContents(path), QByteArray(600, 'o'));  // put back whole
        }
        QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{QStringLiteral("panel7.cfg")});
    }
};

QTEST_APPLESS_MAIN(TestConfigFile)
#include "tst_config_file.moc"
