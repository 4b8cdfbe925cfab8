// The desktop's file type of configuration files, as the installed MIME
// definition makes a desktop (here Qt's MIME database, as Qt-based file
// managers use it) recognise them: by content whatever the name, and never
// by the .cfg name alone, which many programs give their text settings.
// (tests/install/check_mime.sh shows the same through GIO.)
#include <QDir>
#include <QFile>
#include <QMimeDatabase>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

namespace {
const QString OurType = QStringLiteral("application/x-orlix-config");
const QString Text = QStringLiteral("text/plain");
const QString Binary = QStringLiteral("application/octet-stream");

QByteArray ConfigFile(qint32 version)
{
    QByteArray bytes(514, '\0');
    qToLittleEndian<qint32>(version, bytes.data());
    for (int i = 4; i < 12; ++i)
        bytes[i] = char(0x40 + i);  // the time of saving
    bytes[12] = 1;
    for (int i = 32; i < bytes.size(); ++i)
        bytes[i] = char(i * 7);
    return bytes;
}

bool Put(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}
}  // namespace

class TestMimeType : public QObject {
    Q_OBJECT
    QTemporaryDir m_data;
    QTemporaryDir m_files;

private slots:
    // The MIME database reads its folders once, at its first use: they are
    // set up before that.
    void initTestCase()
    {
        const QString packages = m_data.filePath("share/mime/packages");
        QVERIFY(QDir().mkpath(packages));
        QVERIFY(QFile::copy(QStringLiteral(ORLIX_MIME_DEFINITION),
                            packages + "/org.orlix.ConfigTool.xml"));
        qputenv("XDG_DATA_HOME", m_data.filePath("home").toLocal8Bit());
        qputenv("XDG_DATA_DIRS", (m_data.filePath("share") + ":/usr/share").toLocal8Bit());
    }

    void recognised_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("type");
        QTest::newRow("1.70 file named .cfg") << "panel7.cfg" << ConfigFile(170) << OurType;
        QTest::newRow("1.60 file named .cfg") << "old.cfg" << ConfigFile(160) << OurType;
        QTest::newRow("1.70 file without a suffix") << "panel7" << ConfigFile(170) << OurType;
        QTest::newRow("text named .cfg")
            << "game.cfg" << QByteArray("[video]\nwidth=800\n") << Text;
        QTest::newRow("version 1.50 is not ours") << "old150.cfg" << ConfigFile(150) << Binary;
        QByteArray reserved = ConfigFile(170);
        reserved[20] = 'x';
        QTest::newRow("reserved bytes not zero") << "other.cfg" << reserved << Binary;
    }
    void recognised()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, type);
        const QString path = m_files.filePath(name);
        QVERIFY(Put(path, bytes));
        QMimeDatabase db;
        QVERIFY2(db.mimeTypeForName(OurType).isValid(), "the definition was not loaded");
        QCOMPARE(db.mimeTypeForFile(path).name(), type);
    }

    // A name pattern would claim every text file named .cfg on a desktop
    // where no other program registers the suffix.
    void claimsNoName()
    {
        QMimeDatabase db;
        const QMimeType ours = db.mimeTypeForName(OurType);
        QVERIFY(ours.isValid());
        QCOMPARE(ours.globPatterns(), QStringList());
        QVERIFY(!ours.comment().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestMimeType)
#include "tst_mime_type.moc"
