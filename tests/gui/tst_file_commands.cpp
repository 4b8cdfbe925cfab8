#include "app_fixture.h"
#include "fs_faults.h"
#include "model/block_crc.h"
#include "pages/dev_config_page.h"
#include "pages/mbus_settings_page.h"
#include "test_files.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtEndian>

#include <sys/stat.h>

namespace {
// A valid 1.70 file with a recognisable image.
QByteArray ValidFile(int version = 170, int family = 0)
{
    ConfigImage image{};
    for (int i = 0; i < ConfigImageSize; ++i)
        image[i] = uint8_t(i * 13 + 1);
    image[0] = 0;
    image[1] = 0;
    image[2] = 12;
    image[5] = 7;
    return ConfigFileBytes(image, version, family);
}

// What a load must leave alone when it fails.
struct Snapshot {
    ConfigImage image;
    int family;
    QString title, appTitle, file, status, model;
    bool bound;
    explicit Snapshot(AppFixture& f)
        : image(f.main->State().Image),
          family(f.main->State().FamilyCode),
          title(f.main->windowTitle()),
          appTitle(f.app.Title),
          file(f.main->State().CurrentFileName),
          status(f.main->StatusText()),
          model(f.Page2()->CBConfig->currentText()),
          bound(f.main->State().HasFileName)
    {
    }
    bool operator==(const Snapshot& o) const
    {
        return image == o.image && family == o.family && title == o.title &&
               appTitle == o.appTitle && file == o.file && status == o.status && model == o.model &&
               bound == o.bound;
    }
};
}  // namespace

class TestFileCommands : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void dialogs()
    {
        AppFixture f;
        f.Tool("SBLoadFile")->click();
        f.Action("MISaveAs")->trigger();
        QCOMPARE(f.prompts.shown.size(), 2);
        const FileDialogSpec& open = f.prompts.shown[0].dialog;
        const FileDialogSpec& save = f.prompts.shown[1].dialog;
        QCOMPARE(open.Title, QStringLiteral("Открыть"));
        QCOMPARE(save.Title, QStringLiteral("Сохранить как"));
        for (const FileDialogSpec* d : {&open, &save}) {
            QCOMPARE(d->Filters, (QStringList{"Файлы конфигурации (*.cfg)", "Все файлы (*.*)"}));
            QCOMPARE(d->DefaultSuffix, QStringLiteral("cfg"));
        }
        QVERIFY(save.ConfirmOverwrite);
        QVERIFY(save.Save);
        QVERIFY(!open.Save);
        // Cancelled dialogs change nothing.
        QCOMPARE(f.main->windowTitle(), QStringLiteral("Orlix Configuration tool"));
        QVERIFY(!f.main->State().HasFileName);
    }

    void saveAndLoadRoundTrip()
    {
        AppFixture f;
        f.main->SBNewConfigClick();
        f.main->State().Image[300] = 0x42;  // external network tables travel too
        f.Page2()->CBConfig->setCurrentIndex(4);
        emit f.Page2()->CBConfig->activated(4);
        f.Page2()->CBLineControl->setChecked(true);
        f.Page2()->CBMBusTimeout->setCurrentIndex(14);
        f.Page3()->ENetAddress->setText("33");

        const QString file = path("panel7.cfg");
        f.prompts.fileNames.enqueue(file);
        f.Tool("SBSaveFile")->click();
        QCOMPARE(f.main->windowTitle(), QStringLiteral("[panel7.cfg] - Orlix Configuration tool"));
        QCOMPARE(f.app.Title, f.main->windowTitle());
        QVERIFY(f.main->State().HasFileName);
        QCOMPARE(f.main->State().CurrentFileName, file);
        // Collected before writing.
        QCOMPARE(int(f.main->State().Image[5]), 15);
        QCOMPARE(int(f.main->State().Image[22]), 33);
        QVERIFY(CheckBlockCrcs(f.main->State().Image));

        const QByteArray bytes = ReadAll(file);
        QCOMPARE(bytes.size(), 514);
        QCOMPARE(bytes.left(4), QByteArray::fromHex("AA000000"));
        QCOMPARE(int(bytes[12]), 1);
        QCOMPARE(bytes.mid(13, 19), QByteArray(19, '\0'));
        const ConfigImage saved = f.main->State().Image;

        AppFixture g;
        g.prompts.fileNames.enqueue(file);
        g.Pager()->setActivePage(g.Page3());
        g.Action("MIOpen")->trigger();
        QVERIFY(g.prompts.messages().isEmpty());
        QVERIFY(g.main->State().Image == saved);
        QCOMPARE(g.main->State().FamilyCode, 1);
        QCOMPARE(g.Page2()->CBConfig->currentText(), QStringLiteral("ОРЛ-09"));
        QCOMPARE(g.Page3()->ENetAddress->text(), QStringLiteral("33"));
        QCOMPARE(g.main->windowTitle(), QStringLiteral("[panel7.cfg] - Orlix Configuration tool"));
        QCOMPARE(g.Pager()->activePage(), g.Page2());
        QCOMPARE(g.main->StatusText(), QStringLiteral(" ver 1.70"));
        QVERIFY(g.main->State().HasFileName);
        QCOMPARE(g.main->State().CurrentFileName, file);

        // Save without a dialog writes to the bound file.
        g.Page3()->ENetAddress->setText("34");
        g.main->SBSaveFileClick();
        QCOMPARE(g.prompts.shown.size(), 1);
        QCOMPARE(int(ReadAll(file)[32 + 22]), 34);
    }

    // Blocks 7..9 survive save, load and a later New.
    void externalNetSurvives()
    {
        AppFixture f;
        for (int i = 233; i < 480; ++i)
            f.main->State().Image[i] = uint8_t(i);
        const QString file = path("ext.cfg");
        f.prompts.fileNames.enqueue(file);
        f.main->SBSaveAsFileClick(true);
        AppFixture g;
        g.prompts.fileNames.enqueue(file);
        g.main->SBLoadFileClick();
        g.main->SBNewConfigClick();
        for (int block = 7; block <= 9; ++block) {
            const ConfigBlock& b = BlockDirectory[block];
            for (int i = b.Offset; i < b.CrcOffset(); ++i)
                QCOMPARE(int(g.main->State().Image[i]), i & 0xFF);
        }
        g.prompts.fileNames.enqueue(path("ext2.cfg"));
        g.main->SBSaveFileClick();
        QCOMPARE(ReadAll(path("ext2.cfg")).mid(32 + 233, 247), ReadAll(file).mid(32 + 233, 247));
    }

    void import160()
    {
        AppFixture f;
        const QString file = path("old.cfg");
        WriteAll(file, ValidFile(160, 0));
        f.main->State().CurrentFileName = "/somewhere/else.cfg";
        f.main->State().HasFileName = true;
        f.prompts.fileNames.enqueue(file);
        f.main->SBLoadFileClick();
        QCOMPARE(f.prompts.shown.size(), 2);
        const auto& q = f.prompts.shown[1];
        QCOMPARE(q.kind, FakePrompts::Shown::Question);
        QCOMPARE(q.text, QStringLiteral("  Импортировать файл версии 1.60?     "));
        QCOMPARE(q.caption, QStringLiteral("Orlix Configuration tool"));
        QCOMPARE(q.icon, Prompts::Icon::Question);
        QVERIFY(q.okIsDefault);
        QCOMPARE(f.main->windowTitle(), QStringLiteral("[Import] - Orlix Configuration tool"));
        QCOMPARE(f.app.Title, f.main->windowTitle());
        QVERIFY(!f.main->State().HasFileName);
        QCOMPARE(f.main->State().CurrentFileName, QStringLiteral("/somewhere/else.cfg"));
        QCOMPARE(int(f.main->State().Image[5]), 7);

        // The next Save asks for a name and writes a 1.70 file.
        f.prompts.fileNames.enqueue(path("new.cfg"));
        f.main->SBSaveFileClick();
        QCOMPARE(f.prompts.shown.last().kind, FakePrompts::Shown::FileDialog);
        QCOMPARE(ReadAll(path("new.cfg")).left(4), QByteArray::fromHex("AA000000"));
    }

    void importDeclined()
    {
        AppFixture f;
        const QString file = path("old2.cfg");
        WriteAll(file, ValidFile(160, 1));
        const Snapshot before(f);
        f.prompts.fileNames.enqueue(file);
        f.prompts.answers.enqueue(false);
        f.Tool("SBLoadFile")->click();
        QVERIFY(Snapshot(f) == before);
        QVERIFY(f.prompts.messages().isEmpty());
    }

    void refusedFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        const QString v = QStringLiteral("Несоответствие версии файла и программатора, файл ");
        QByteArray corrupt = ValidFile();
        corrupt[32 + 107 + 5] = char(corrupt[32 + 107 + 5] ^ 1);
        QByteArray v120 = ValidFile().left(275);
        QTest::newRow("150") << ValidFile(150) << v + "v1.50.";
        QTest::newRow("200") << ValidFile(200) << v + "v2.0.";
        QTest::newRow("block 4 changed")
            << corrupt << QStringLiteral("Файл конфигурации поврежден.");
        QTest::newRow("275 bytes") << v120 << v + "v1.20.";
        QTest::newRow("470 bytes") << ValidFile().left(470) << v + "v1.30.";
        QTest::newRow("100 bytes")
            << ValidFile().left(100) << QStringLiteral("Файл конфигурации поврежден.");
    }

    // A refused file leaves image, family, pages and titles as they were.
    void refusedFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        AppFixture f;
        f.main->SBNewConfigClick();
        f.Pager()->setActivePage(f.Page3());
        const Snapshot before(f);
        const QString file = path("bad.cfg");
        WriteAll(file, bytes);
        f.prompts.fileNames.enqueue(file);
        f.Tool("SBLoadFile")->click();
        const auto boxes = f.prompts.messages();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].text, message);
        QCOMPARE(boxes[0].caption, QStringLiteral("[New] - Orlix Configuration tool"));
        QVERIFY(Snapshot(f) == before);
        QCOMPARE(f.Pager()->activePage(), f.Page3());
    }

    void familyAndTrailingBytes()
    {
        AppFixture f;
        const QString file = path("fam.cfg");
        WriteAll(file, ValidFile(170, 1) + QByteArray(40, 'x'));
        f.prompts.fileNames.enqueue(file);
        f.main->SBLoadFileClick();
        QCOMPARE(f.main->State().FamilyCode, 1);
        QCOMPARE(f.Page2()->CBConfig->currentText(), QStringLiteral("ОРЛ-09"));
    }

    void missingFile()
    {
        AppFixture f;
        const Snapshot before(f);
        const QString file = path("nothing-here.cfg");
        f.prompts.fileNames.enqueue(file);
        f.Tool("SBLoadFile")->click();
        QCOMPARE(f.prompts.messages().size(), 1);
        QVERIFY(f.prompts.messages()[0].text.contains(file));
        QVERIFY(Snapshot(f) == before);
    }

    // A pasted non-number on the ModBus page stops the save before any file
    // is written; the line-control time-out has been collected already.
    void saveWithBadAddress()
    {
        AppFixture f;
        f.Page2()->CBLineControl->setChecked(true);
        f.Page3()->ENetAddress->setText("12ab");
        f.prompts.fileNames.enqueue(path("never.cfg"));
        f.Tool("SBSaveFile")->click();
        QCOMPARE(f.prompts.messages().size(), 1);
        QCOMPARE(f.prompts.messages()[0].text,
                 QStringLiteral("'12ab' is not a valid integer value."));
        QVERIFY(!QFile::exists(path("never.cfg")));
        QCOMPARE(int(f.main->State().Image[5]), 5);
        QCOMPARE(f.main->windowTitle(), QStringLiteral("Orlix Configuration tool"));
        QVERIFY(!f.main->State().HasFileName);
    }

    // A write that fails (full device, folder without write permission)
    // names the file, keeps the previous file byte for byte and changes
    // neither the binding nor the titles.
    void failedSaveKeepsOldFile_data()
    {
        QTest::addColumn<bool>("fullDevice");
        QTest::addColumn<bool>("ontoFifo");  // Save as onto a FIFO
        QTest::newRow("full device") << true << false;
        QTest::newRow("read-only folder") << false << false;
        QTest::newRow("save as onto a FIFO") << false << true;
    }

    void failedSaveKeepsOldFile()
    {
        QFETCH(bool, fullDevice);
        QFETCH(bool, ontoFifo);
        QTemporaryDir dir;
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                      QFile::ExeOwner | QFile::ReadOther |
                                                      QFile::ExeOther));
        const QString file = dir.filePath("keep.cfg");
        const QByteArray old = ValidFile(170, 0);
        WriteAll(file, old);

        AppFixture f;
        f.prompts.fileNames.enqueue(file);
        f.main->SBLoadFileClick();
        f.Page3()->ENetAddress->setText("99");
        const QString title = f.main->windowTitle();
        {
            std::unique_ptr<FileSizeLimit> limit;
            std::unique_ptr<UnprivilegedFiles> user;
            if (ontoFifo) {
                const QString fifo = dir.filePath("pipe.cfg");
                QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
                f.prompts.fileNames.enqueue(fifo);
                f.Action("MISaveAs")->trigger();
                const auto boxes = f.prompts.messages();
                QCOMPARE(boxes.size(), 1);
                QCOMPARE(boxes[0].text,
                         QStringLiteral("Не удается записать файл %1: это не обычный файл, а "
                                        "именованный канал (FIFO)")
                             .arg(fifo));
                struct stat st {};
                QCOMPARE(::lstat(QFile::encodeName(fifo).constData(), &st), 0);
                QVERIFY(S_ISFIFO(st.st_mode));
                QVERIFY(QFile::remove(fifo));
                f.prompts.clear();
            }
            if (fullDevice) {
                limit = std::make_unique<FileSizeLimit>(100);
                QVERIFY(limit->Active());
            } else if (ontoFifo) {
                // and the file the configuration came from is saved as ever
            } else {
                QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner |
                                                              QFile::ReadOther | QFile::ExeOther));
                user = std::make_unique<UnprivilegedFiles>(dir.filePath("probe"));
                if (user->CanStillWrite())
                    QSKIP("this user can write into a read-only folder");
            }
            f.Tool("SBSaveFile")->click();
        }
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const auto boxes = f.prompts.messages();
        if (ontoFifo) {
            QCOMPARE(boxes.size(), 0);
            QVERIFY(ReadAll(file) != old);  // the save after the refusal went through
            return;
        }
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes[0].text.contains(file), qPrintable(boxes[0].text));
        QCOMPARE(ReadAll(file), old);
        QCOMPARE(f.main->windowTitle(), title);
        QCOMPARE(f.main->State().CurrentFileName, file);
        QVERIFY(f.main->State().HasFileName);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"keep.cfg"});
    }

    // The dialogs start from their last file name.
    void dialogsKeepLastName()
    {
        AppFixture f;
        const QString file = path("last.cfg");
        WriteAll(file, ValidFile());
        f.prompts.fileNames.enqueue(file);
        f.main->SBLoadFileClick();
        f.main->SBLoadFileClick();
        QCOMPARE(f.prompts.shown.last().dialog.FileName, file);
        f.main->SBSaveFileClick();  // bound: no dialog
        f.main->SBSaveAsFileClick(true);
        QCOMPARE(f.prompts.shown.last().dialog.FileName, file);
    }
};

QTEST_MAIN(TestFileCommands)
#include "tst_file_commands.moc"
