// The main window as a desktop program: files opened from outside, the
// accessibility of its controls and its keyboard shortcuts.
#include "app/command_line.h"
#include "app/tfmbparam.h"
#include "app_fixture.h"
#include "drop_files.h"
#include "model/block_crc.h"
#include "test_files.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QUrl>
#include <QtEndian>

#include <sys/stat.h>

namespace {
// A 1.70 file of an ОРЛ-09 configuration with a recognisable image.
QByteArray ValidFile(ConfigImage& image)
{
    for (int i = 0; i < ConfigImageSize; ++i)
        image[i] = uint8_t(i * 7 + 3);
    image[0] = 0;
    image[1] = 0;
    image[2] = 12;
    StampBlockCrcs(image);
    QByteArray bytes(32, '\0');
    qToLittleEndian<qint32>(170, bytes.data());
    bytes[12] = 1;
    bytes.append(reinterpret_cast<const char*>(image.data()), ConfigImageSize);
    return bytes;
}

QString Write(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QString AccessibleName(QObject* object)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(object);
    return iface ? iface->text(QAccessible::Name) : QString();
}
}  // namespace

class TestDesktop : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("error");
        QTest::addColumn<bool>("help");
        QTest::newRow("nothing") << QStringList{} << "" << false << false;
        QTest::newRow("a file") << QStringList{"/tmp/panel7.cfg"} << "/tmp/panel7.cfg" << false
                                << false;
        QTest::newRow("two files") << QStringList{"a.cfg", "b.cfg"} << "" << true << false;
        QTest::newRow("unknown option") << QStringList{"--port=ttyS0"} << "" << true << false;
        QTest::newRow("help") << QStringList{"--help"} << "" << false << true;
    }
    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, file);
        QFETCH(bool, error);
        QFETCH(bool, help);
        const CommandLine line = ParseCommandLine(QStringList{"orlix-config"} + arguments);
        QCOMPARE(line.File, file);
        QCOMPARE(!line.Error.isEmpty(), error);
        QCOMPARE(line.Help, help);
        QVERIFY(line.HelpText.contains("FILE.cfg"));
    }

    // A file from outside goes through the same load as "Открыть": title,
    // image, family and binding.
    void openFromOutside_data()
    {
        QTest::addColumn<bool>("dropped");
        QTest::newRow("named on the command line") << false;
        QTest::newRow("dropped on the window") << true;
    }
    void openFromOutside()
    {
        QFETCH(bool, dropped);
        ConfigImage image{};
        const QString path = Write(m_dir, "panel9.cfg", ValidFile(image));
        AppFixture f;
        if (dropped)
            QVERIFY(Drop(f.main, {QUrl::fromLocalFile(path)}));
        else
            f.main->OpenFromOutside(path);
        QCOMPARE(f.prompts.messages().size(), 0);
        QCOMPARE(f.main->windowTitle(), QStringLiteral("[panel9.cfg] - Orlix Configuration tool"));
        QCOMPARE(f.app.Title, f.main->windowTitle());
        QVERIFY(f.main->State().Image == image);
        QCOMPARE(f.main->State().FamilyCode, 1);
        QVERIFY(f.main->State().HasFileName);
        QCOMPARE(f.main->State().CurrentFileName, path);
    }

    // A broken file shows the message the dialog path shows and leaves the
    // configuration the tool started with.
    void brokenFileFromOutside_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        ConfigImage image{};
        QByteArray corrupt = ValidFile(image);
        corrupt[100] = char(corrupt[100] ^ 0x01);
        QByteArray v150 = ValidFile(image);
        v150[0] = char(150);
        QTest::newRow("corrupt block") << corrupt << "Файл конфигурации поврежден.";
        QTest::newRow("version 1.50")
            << v150 << "Несоответствие версии файла и программатора, файл v1.50.";
        QTest::newRow("275 bytes")
            << QByteArray(275, '\0') << "Несоответствие версии файла и программатора, файл v1.20.";
        QTest::newRow("FIFO") << QByteArray("FIFO")
                              << "Не удается открыть файл %1: это не обычный файл, а именованный "
                                 "канал (FIFO)";  // ")" gets no full stop
    }
    void brokenFileFromOutside()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        QString path;
        if (bytes == "FIFO") {
            // Refused at once, not waited on until someone writes to it.
            path = m_dir.filePath("pipe.cfg");
            QFile::remove(path);
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
            message = message.arg(path);
        } else {
            path = Write(m_dir, "broken.cfg", bytes);
        }
        AppFixture f;
        const ConfigImage atStart = f.main->State().Image;
        f.main->OpenFromOutside(path);
        const auto boxes = f.prompts.messages();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].text, message);
        QCOMPARE(boxes[0].caption, QStringLiteral("Orlix Configuration tool"));
        QVERIFY(f.main->State().Image == atStart);
        QCOMPARE(f.main->windowTitle(), QStringLiteral("Orlix Configuration tool"));
        QVERIFY(!f.main->State().HasFileName);
    }

    // Only one local file is taken from a drag.
    void dropsThatAreRefused()
    {
        const QString a = Write(m_dir, "a.cfg", QByteArray(514, '\0'));
        const QString b = Write(m_dir, "b.cfg", QByteArray(514, '\0'));
        AppFixture f;
        QVERIFY(!Drop(f.main, {QUrl::fromLocalFile(a), QUrl::fromLocalFile(b)}));
        QVERIFY(!Drop(f.main, {QUrl("https://example.org/panel.cfg")}));
        QVERIFY(!Drop(f.main, {QUrl::fromLocalFile(m_dir.path())}));
        QVERIFY(f.prompts.shown.isEmpty());
    }

    void toolButtonsAreNamedByTheirHints()
    {
        AppFixture f;
        for (const char* name : {"SBNewConfig", "SBLoadFile", "SBSaveFile", "SBMBusParameters",
                                 "SBReadConfig", "SBWriteConfig", "SBApplyConfig"}) {
            auto* button = f.find<QToolButton>(name);
            QVERIFY(!button->toolTip().isEmpty());
            QCOMPARE(AccessibleName(button), button->toolTip());
        }
    }

    // The page column is a tab list: the shown tabs by caption, the chosen
    // one selected, and a tab's press action brings its page to the front.
    void pageColumnIsATabList()
    {
        AppFixture f;
        f.main->show();
        QAccessibleInterface* column = QAccessible::queryAccessibleInterface(f.Pager()->tabBar());
        QVERIFY(column);
        QCOMPARE(column->role(), QAccessible::PageTabList);
        QStringList names;
        int selected = -1;
        for (int i = 0; i < column->childCount(); ++i) {
            QAccessibleInterface* tab = column->child(i);
            QCOMPARE(tab->role(), QAccessible::PageTab);
            QCOMPARE(column->indexOfChild(tab), i);
            QCOMPARE(tab->parent(), column);
            names << tab->text(QAccessible::Name);
            if (tab->state().selected)
                selected = i;
        }
        QCOMPARE(names, (QStringList{"Конфигурация", "ModBus", "Входы", "Выходы", "Структура",
                                     "Сигнализация"}));
        QCOMPARE(selected, 0);

        QAccessibleActionInterface* press = column->child(1)->actionInterface();
        QVERIFY(press);
        QVERIFY(press->actionNames().contains(QAccessibleActionInterface::pressAction()));
        press->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(f.Pager()->activePage(), f.Page3());
        QVERIFY(column->child(1)->state().selected);
        QVERIFY(!column->child(0)->state().selected);

        // With the column focused, the arrow keys move through the tabs.
        f.Pager()->tabBar()->setFocus();
        QTest::keyClick(f.Pager()->tabBar(), Qt::Key_Up);
        QCOMPARE(f.Pager()->activePage(), f.Page2());
        QTest::keyClick(f.Pager()->tabBar(), Qt::Key_Down);
        QCOMPARE(f.Pager()->activePage(), f.Page3());
    }

    // Every control a user can operate on the pages and the port settings
    // panel has a name a screen reader can say.
    void controlsHaveAccessibleNames()
    {
        AppFixture f;
        f.main->show();
        QList<QWidget*> holders;
        const VerticalPager* pager = f.Pager();
        for (int i = 0; i < pager->count(); ++i) {
            if (pager->isTabVisible(i))
                holders << pager->page(i);
        }
        holders << &f.main->PortPanel() << f.main->centralWidget();
        QStringList unnamed;
        for (QWidget* holder : holders) {
            const auto controls = holder->findChildren<QWidget*>();
            for (QWidget* w : controls) {
                const bool operable = qobject_cast<QAbstractButton*>(w) ||
                                      qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w);
                // A combo box's own line edit is named by the box.
                if (!operable || !w->isVisibleTo(holder) ||
                    qobject_cast<QComboBox*>(w->parentWidget()))
                    continue;
                if (AccessibleName(w).trimmed().isEmpty())
                    unnamed << holder->objectName() + "/" + w->objectName() + ":" +
                                   w->metaObject()->className();
            }
        }
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(", ")));
    }

    // The usual keys, without touching the menus' texts.
    void keyboardShortcuts()
    {
        AppFixture f;
        f.main->show();
        f.main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.main));
        QStringList menuTexts;
        for (const QAction* a :
             {f.Action("MIOpen"), f.Action("MISave"), f.Action("MISaveAs"), f.Action("MINew")})
            menuTexts << QString(a->text()).remove('&');
        QCOMPARE(menuTexts, (QStringList{"Открыть", "Сохранить", "Сохранить как...", "Новая"}));

        QTest::keyClick(f.main, Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(f.main->windowTitle(), QStringLiteral("[New] - Orlix Configuration tool"));
        QTest::keyClick(f.main, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(f.prompts.shown.size(), 1);
        QCOMPARE(f.prompts.shown.last().dialog.Title, QStringLiteral("Открыть"));
        QTest::keyClick(f.main, Qt::Key_S, Qt::ControlModifier);  // not bound: asks for a name
        QCOMPARE(f.prompts.shown.last().dialog.Title, QStringLiteral("Сохранить как"));
        QTest::keyClick(f.main, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(f.prompts.shown.size(), 3);
        QCOMPARE(f.prompts.shown.last().dialog.Title, QStringLiteral("Сохранить как"));

        // Ctrl+Tab walks the shown pages and wraps; the hidden ones are skipped.
        VerticalPager* pager = f.Pager();
        QCOMPARE(pager->activePage(), f.Page2());
        QTest::keyClick(f.main, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(pager->activePage(), f.Page3());
        QTest::keyClick(f.main, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(pager->activePage(), f.Page2());
        QTest::keyClick(f.main, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(pager->activePage(), f.Page6());  // "Сигнализация", the last shown
        QTest::keyClick(f.main, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(pager->activePage(), f.Page2());
    }
};

QTEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
