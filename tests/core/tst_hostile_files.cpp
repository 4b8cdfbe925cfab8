// Saving and loading where the file system works against the tool: special
// files, links planted by another user, size limits and full devices, and
// file names that are not UTF-8.
#include "file_outcomes.h"
#include "files/config_file.h"
#include "fs_faults.h"
#include "model/block_crc.h"
#include "model/command_error.h"
#include "names/native_name.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <dirent.h>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <memory>

namespace {
constexpr uid_t OtherUser = 65534;  // "nobody"

QByteArray SampleFile(int seed)
{
    ConfigImage image{};
    for (int i = 0; i < ConfigImageSize; ++i)
        image[i] = uint8_t(i * 13 + seed);
    StampBlockCrcs(image);
    return EncodeConfigFile(image, 0, QDateTime(QDate(2024, 2, 29), QTime(18, 0)));
}

QString WriteRefusal(const QString& path, const QString& reason)
{
    return QStringLiteral("Не удается записать файл ") + QFileInfo(path).absoluteFilePath() +
           QStringLiteral(": ") + reason;
}

QStringList Entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden |
                                  QDir::System);
}

// The names in `folder` as the system keeps them.
QList<QByteArray> NativeEntries(const QString& folder)
{
    QList<QByteArray> names;
    DIR* d = ::opendir(QFile::encodeName(folder).constData());
    while (d) {
        const dirent* e = ::readdir(d);
        if (!e)
            break;
        const QByteArray name(e->d_name);
        if (name != "." && name != "..")
            names << name;
    }
    if (d)
        ::closedir(d);
    return names;
}

enum class Target { Fifo, DeviceNode, OthersLink, DanglingOwnLink, OwnLinkToFile };

// A small file system that the test fills up; unmounted at the end.
class TinyFileSystem {
public:
    explicit TinyFileSystem(const QString& mountPoint) : m_point(mountPoint)
    {
        m_mounted = ::mount("orlix-test", QFile::encodeName(m_point).constData(), "tmpfs", 0,
                            "size=64k,mode=0700") == 0;
    }
    ~TinyFileSystem()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_point).constData(), MNT_DETACH);
    }
    bool Mounted() const { return m_mounted; }
    // Takes every free byte with a filler file.
    bool Fill() const
    {
        QFile filler(QDir(m_point).filePath(QStringLiteral("filler")));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return false;
        const QByteArray chunk(512, 'f');
        while (filler.write(chunk) == chunk.size()) {
        }
        return true;
    }

private:
    QString m_point;
    bool m_mounted = false;
};
}  // namespace

Q_DECLARE_METATYPE(Target)

class TestHostileFiles : public QObject {
    Q_OBJECT

private slots:
    // A save writes only to a regular file (or through the user's own
    // links to one); anything else is refused, named, and left as it was.
    void saveTarget_data()
    {
        QTest::addColumn<Target>("target");
        QTest::addColumn<QString>("reason");  // empty: the save goes through
        QTest::newRow("FIFO") << Target::Fifo
                              << QStringLiteral("это не обычный файл, а именованный канал (FIFO)");
        QTest::newRow("device node")
            << Target::DeviceNode << QStringLiteral("это не обычный файл, а символьное устройство");
        QTest::newRow("link of another user")
            << Target::OthersLink
            << QStringLiteral(
                   "это символическая ссылка другого пользователя; по чужой ссылке "
                   "файл не записывается. Удалите ссылку или сохраните под другим "
                   "именем");
        QTest::newRow("own link to a missing file")
            << Target::DanglingOwnLink
            << QStringLiteral(
                   "это символическая ссылка на несуществующий файл; по ней файл не создается");
        QTest::newRow("own link to a file") << Target::OwnLinkToFile << QString();
    }
    void saveTarget()
    {
        QFETCH(Target, target);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("panel.cfg"));
        const QString victim = dir.filePath(QStringLiteral("victim.cfg"));
        const QByteArray old = SampleFile(1);
        QVERIFY(PutFile(victim, old));
        const QByteArray path8 = QFile::encodeName(path);
        switch (target) {
            case Target::Fifo: QCOMPARE(::mkfifo(path8.constData(), 0600), 0); break;
            case Target::DeviceNode:
                // The same device as /dev/null; only root may make one.
                if (::mknod(path8.constData(), S_IFCHR | 0600, makedev(1, 3)) != 0)
                    QSKIP("cannot make a device node here (not root)");
                break;
            case Target::OthersLink:
                QVERIFY(QFile::link(victim, path));
                if (::geteuid() != 0)
                    QSKIP("a link of another owner needs root to make");
                QCOMPARE(::lchown(path8.constData(), OtherUser, OtherUser), 0);
                break;
            case Target::DanglingOwnLink:
                QVERIFY(QFile::link(dir.filePath(QStringLiteral("missing.cfg")), path));
                break;
            case Target::OwnLinkToFile: QVERIFY(QFile::link(victim, path)); break;
        }
        const QFileInfo before(path);

        const QByteArray bytes = SampleFile(2);
        const QString outcome = WriteOutcome(path, bytes);

        if (reason.isEmpty()) {
            QCOMPARE(outcome, QStringLiteral("ok"));
            QCOMPARE(FileContents(victim), bytes);  // written where the link leads
            QVERIFY(QFileInfo(path).isSymLink());   // the link itself stays
        } else {
            QCOMPARE(outcome, WriteRefusal(path, reason));
            QCOMPARE(FileContents(victim), old);
            const QFileInfo after(path);
            QCOMPARE(after.isSymLink(), before.isSymLink());
            QCOMPARE(after.isFile(), before.isFile());
            QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("missing.cfg"))));
        }
        QCOMPARE(Entries(dir.path()).size(), 2);  // no temporary file left behind
    }

    // A save that fails part way leaves the previous file byte for byte,
    // also where the folder takes no temporary file and the file is written
    // in place: under a file size limit and on a full file system.
    void failedSaveKeepsOldFile_data()
    {
        QTest::addColumn<bool>("inPlace");
        QTest::addColumn<bool>("fullDevice");  // else a file size limit
        QTest::newRow("size limit, new file") << false << false;
        QTest::newRow("size limit, in place") << true << false;
        QTest::newRow("full device, new file") << false << true;
        QTest::newRow("full device, in place") << true << true;
    }
    void failedSaveKeepsOldFile()
    {
        QFETCH(bool, inPlace);
        QFETCH(bool, fullDevice);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        // The checks of a save in place run as another user, who must reach the folder.
        QCOMPARE(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
        std::unique_ptr<TinyFileSystem> device;
        QString folder = dir.path();
        if (fullDevice) {
            folder = dir.filePath(QStringLiteral("tiny"));
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("tiny")));
            device = std::make_unique<TinyFileSystem>(folder);
            if (!device->Mounted())
                QSKIP("cannot mount a small file system here (needs root)");
        }
        const QString path = QDir(folder).filePath(QStringLiteral("panel.cfg"));
        // Under the size limit, shorter than the new file; on the small
        // device, a file with a hole: writing over it needs room.
        const QByteArray old = fullDevice ? QByteArray(1000, '\0') : SampleFile(3).left(100);
        QVERIFY(PutFile(path, fullDevice ? QByteArray() : old));
        if (fullDevice)
            QVERIFY(QFile::resize(path, old.size()));
        // The checks run as "nobody" of root's group: group and others may write.
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner |
                                                QFile::ReadGroup | QFile::WriteGroup |
                                                QFile::ReadOther | QFile::WriteOther));
        if (device)
            QVERIFY(device->Fill());
        const auto readOnly = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                              QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
        QString outcome;
        {
            std::unique_ptr<UnprivilegedFiles> asUser;
            if (inPlace) {
                QVERIFY(QFile::setPermissions(folder, readOnly));
                asUser = std::make_unique<UnprivilegedFiles>(QDir(folder).filePath("probe"));
                if (asUser->CanStillWrite()) {
                    asUser.reset();
                    QFile::setPermissions(folder, readOnly | QFile::WriteOwner);
                    QSKIP("permission bits do not stop writes here");
                }
            }
            std::unique_ptr<FileSizeLimit> limit;
            if (!fullDevice) {
                limit = std::make_unique<FileSizeLimit>(300);
                if (!limit->Active())
                    QSKIP("cannot limit the file size");
            }
            outcome = WriteOutcome(path, SampleFile(4));
        }
        QVERIFY(QFile::setPermissions(folder, readOnly | QFile::WriteOwner));
        const QString reason = QString::fromLocal8Bit(std::strerror(fullDevice ? ENOSPC : EFBIG));
        QCOMPARE(outcome, WriteRefusal(path, reason));
        QCOMPARE(FileContents(path), old);
        QCOMPARE(Entries(folder).size(), fullDevice ? 2 : 1);  // and the filler
    }

    // A FIFO or a device as a configuration file is refused at once, never
    // waited on; a regular file whose name is not UTF-8 is found.
    void loadSpecialFiles_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<bool>("fifo");
        QTest::addColumn<QString>("reason");  // empty: loaded
        QTest::newRow("FIFO") << QByteArray("panel.cfg") << true
                              << QStringLiteral("это не обычный файл, а именованный канал (FIFO)");
        QTest::newRow("name in KOI8-R")
            << QByteArray("\xd0\xc1\xce\xc5\xcc\xd8.cfg") << false << QString();
        QTest::newRow("name with a lone byte") << QByteArray("a\xff.cfg") << false << QString();
    }
    void loadSpecialFiles()
    {
        QFETCH(QByteArray, name);
        QFETCH(bool, fifo);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QByteArray native = QFile::encodeName(dir.path()) + '/' + name;
        if (fifo) {
            QCOMPARE(::mkfifo(native.constData(), 0600), 0);
        } else {
            const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
            QVERIFY(fd >= 0);
            const QByteArray bytes = SampleFile(5);
            QCOMPARE(::write(fd, bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
            ::close(fd);
        }
        const QString path = NameFromNative(native);
        QElapsedTimer clock;
        clock.start();
        QString outcome = QStringLiteral("ok");
        try {
            LoadConfigFile(path, nullptr);
        } catch (const CommandError& e) {
            outcome = e.Message();
        }
        QVERIFY2(clock.elapsed() < 1000, "the load waited on the file");
        if (reason.isEmpty()) {
            QCOMPARE(outcome, QStringLiteral("ok"));
            // A save under the same name replaces that very file.
            QCOMPARE(WriteOutcome(path, SampleFile(6)), QStringLiteral("ok"));
            QCOMPARE(NativeEntries(dir.path()), QList<QByteArray>{name});
            QCOMPARE(::unlink(native.constData()), 0);
        } else {
            QCOMPARE(outcome, QStringLiteral("Не удается открыть файл ") +
                                  QFileInfo(path).absoluteFilePath() + QStringLiteral(": ") +
                                  reason);
        }
    }

    // Names are carried byte for byte and printed without anything that
    // would forge lines or colours on a terminal.
    void names_data()
    {
        QTest::addColumn<QByteArray>("native");
        QTest::addColumn<QString>("printed");
        QTest::newRow("plain") << QByteArray("ORL-SIM1") << QStringLiteral("ORL-SIM1");
        QTest::newRow("Cyrillic") << QByteArray("панель.cfg") << QStringLiteral("панель.cfg");
        QTest::newRow("new line") << QByteArray("a\nORL-SIM2") << QStringLiteral("a\\nORL-SIM2");
        QTest::newRow("colour escape")
            << QByteArray("\x1b[31mred\x1b[0m") << QStringLiteral("\\x1b[31mred\\x1b[0m");
        QTest::newRow("backslash") << QByteArray("a\\n") << QStringLiteral("a\\\\n");
        QTest::newRow("lone bytes") << QByteArray("a\xff\xc3") << QStringLiteral("a\\xff\\xc3");
        QTest::newRow("overlong slash") << QByteArray("\xc0\xaf") << QStringLiteral("\\xc0\\xaf");
        QTest::newRow("right-to-left override")
            << QByteArray("x\xe2\x80\xaegfc.exe") << QStringLiteral("x\\u{202e}gfc.exe");
        QTest::newRow("C1 control") << QByteArray("\xc2\x9b") << QStringLiteral("\\x9b");
        QTest::newRow("beyond the first plane")
            << QByteArray("\xf0\x9f\x94\x94") << QString::fromUtf8("\xf0\x9f\x94\x94");
    }
    void names()
    {
        QFETCH(QByteArray, native);
        QFETCH(QString, printed);
        const QString name = NameFromNative(native);
        QCOMPARE(NativeName(name), native);
        QCOMPARE(PrintableName(name), printed);
    }
};

QTEST_APPLESS_MAIN(TestHostileFiles)
#include "tst_hostile_files.moc"
