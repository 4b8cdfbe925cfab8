#include "drop_files.h"
#include "image_compare.h"
#include "pages/external_net_page.h"
#include "pages/outputs_page.h"
#include "pages/structure_page.h"
#include "panel_fixture.h"
#include "test_files.h"
#include "widgets/click_grid.h"
#include "widgets/picture_button.h"
#include "widgets/row_select_grid.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>

// A number still being typed into a grid cell when a command that reads or
// replaces the whole image starts: the command ends the edit first, as
// Enter would, so a save writes what the user sees and a replacement starts
// from a clean page.
namespace {
const QColor Yellow(255, 255, 0);

// A grid cell that takes a number, the image byte it stores, and the fill
// of its page.
struct Cell {
    const char* name;
    QWidget* (*page)(TFMain*);
    StringGrid* (*grid)(TFMain*);
    int col, row;
    int offset;  // -1: the grid edits no cell, typing changes nothing
    int typedCode;
    QString invalid, invalidStatus;
    PictureButton* (*fillButton)(TFMain*);
    const char* fillItem;
    int fillCode;
};

const Cell Cells[] = {
    {"crossbar number", [](TFMain* m) -> QWidget* { return WindowParts{m}.Page7(); },
     [](TFMain* m) -> StringGrid* { return WindowParts{m}.Page7()->ASGCrossBar; }, 11, 7, 41 + 6,
     19, "33", " Окно вне диапазона 1 - 32",
     [](TFMain* m) { return WindowParts{m}.Page7()->SBFillCrossBar; }, "N71", 6},
    {"output acknowledge input", [](TFMain* m) -> QWidget* { return WindowParts{m}.Page4(); },
     [](TFMain* m) { return WindowParts{m}.Page4()->ASGOutBase; }, 4, 3, 149 + 1, 19, "65",
     " Номер входа вне диапазона 1 - 64",
     [](TFMain* m) { return WindowParts{m}.Page4()->SBFillOutDataBase; }, "N18", 255},
    {"external network",
     [](TFMain* m) -> QWidget* { return WindowParts{m}.Page8(); },
     [](TFMain* m) -> StringGrid* { return WindowParts{m}.Page8()->ASGExternalNet; },
     2,
     2,
     -1,
     0,
     {},
     {},
     nullptr,
     nullptr,
     0},
};

// What the image holds after the command.
enum class Outcome {
    Typed,      // the typed number, stored as Enter stores it
    Saved,      // that, and the file written equals the image in memory
    Written,    // that, and the panel holds it
    Started,    // the image the tool started with, without the number
    FromFile,   // the file's image
    FromPanel,  // the panel's blocks 0..6
    Filled,     // the page's fill
};

struct EditFixture : PanelFixture {
    const Cell& cell;
    QWidget* page;
    StringGrid* grid;
    ConfigImage started;
    QString file170, file160, savePath;

    EditFixture(const Cell& c, const QTemporaryDir& dir)
        : cell(c), page(c.page(main)), grid(c.grid(main)), started(main->State().Image)
    {
        file170 = dir.filePath("panel7.cfg");
        file160 = dir.filePath("old.cfg");
        savePath = dir.filePath("saved.cfg");
        QFile::remove(savePath);
        WriteAll(file170, ConfigFileBytes(fileImage()));
        WriteAll(file160, ConfigFileBytes(fileImage(), 160));
        ConfigImage onPanel = started;
        onPanel[41 + 6] = 2;
        onPanel[149 + 1] = 3;
        panel.SetImage(onPanel);
        main->show();
        Pager()->setActivePage(page);
        main->activateWindow();
        if (!QTest::qWaitForWindowActive(main))
            qFatal("window not active");
    }

    ConfigImage fileImage() const
    {
        ConfigImage image = started;
        image[41 + 6] = 4;
        image[149 + 1] = 9;
        return image;
    }

    // Clicks the cell and types a number, leaving the editor open.
    void type(const QString& text)
    {
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          grid->cellRect(cell.col, cell.row).center());
        QWidget* target = QApplication::focusWidget();
        if (cell.offset < 0) {
            QVERIFY(!grid->isEditing());
            QTest::keyClicks(grid, text);
            QVERIFY(!grid->isEditing());
            return;
        }
        QVERIFY(grid->isEditing());
        auto* edit = qobject_cast<QLineEdit*>(target);
        QVERIFY(edit && edit->parentWidget() == grid->viewport());
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(edit, text);
        QCOMPARE(edit->text(), text);
    }
};

// The file the fake dialog returns for a command.
enum class Dialog { None, Open, Import, Save };

struct Command {
    const char* name;
    Outcome outcome;
    Dialog dialog;
    void (*run)(EditFixture&);
};

void Click(QAbstractButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

void PickFill(EditFixture& f)
{
    PictureButton* button = f.cell.fillButton(f.main);
    Click(button);
    QMenu* menu = button->popupMenu();
    QTRY_VERIFY(menu->isVisible());
    QTest::mouseClick(menu, Qt::LeftButton, {},
                      menu->actionGeometry(menu->findChild<QAction*>(f.cell.fillItem)).center());
    QTRY_VERIFY(!menu->isVisible());
}

void CtrlS(EditFixture& f)
{
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus ? focus : f.main, Qt::Key_S, Qt::ControlModifier);
}

void CancelClose(EditFixture& f)
{
    f.app->prompts.answers.enqueue(false);
    QVERIFY(!f.main->close());
    QVERIFY(f.main->isVisible());
}

using O = Outcome;
using D = Dialog;
const Command Commands[] = {
    {"New, tool button", O::Started, D::None, [](EditFixture& f) { Click(f.Tool("SBNewConfig")); }},
    {"New, menu", O::Started, D::None, [](EditFixture& f) { f.Action("MINew")->trigger(); }},
    {"Open, tool button", O::FromFile, D::Open,
     [](EditFixture& f) { Click(f.Tool("SBLoadFile")); }},
    {"Open, menu", O::FromFile, D::Open, [](EditFixture& f) { f.Action("MIOpen")->trigger(); }},
    {"import", O::FromFile, D::Import, [](EditFixture& f) { Click(f.Tool("SBLoadFile")); }},
    {"command line", O::FromFile, D::None,
     [](EditFixture& f) { f.main->OpenFromOutside(f.file170); }},
    {"drop", O::FromFile, D::None,
     [](EditFixture& f) { QVERIFY(Drop(f.main, {QUrl::fromLocalFile(f.file170)})); }},
    {"Save, tool button", O::Saved, D::Save, [](EditFixture& f) { Click(f.Tool("SBSaveFile")); }},
    {"Save, menu", O::Saved, D::Save, [](EditFixture& f) { f.Action("MISave")->trigger(); }},
    {"Save, Ctrl+S", O::Saved, D::Save, CtrlS},
    {"Save as, menu", O::Saved, D::Save, [](EditFixture& f) { f.Action("MISaveAs")->trigger(); }},
    {"read, tool button", O::FromPanel, D::None,
     [](EditFixture& f) { Click(f.Tool("SBReadConfig")); }},
    {"read, menu", O::FromPanel, D::None, [](EditFixture& f) { f.Action("MIRead")->trigger(); }},
    {"write, tool button", O::Written, D::None,
     [](EditFixture& f) { Click(f.Tool("SBWriteConfig")); }},
    {"write, menu", O::Written, D::None, [](EditFixture& f) { f.Action("MIWrite")->trigger(); }},
    {"apply, tool button", O::Typed, D::None,
     [](EditFixture& f) { Click(f.Tool("SBApplyConfig")); }},
    {"apply, menu", O::Typed, D::None, [](EditFixture& f) { f.Action("MIApply")->trigger(); }},
    {"print, Ctrl+P", O::Typed, D::None,
     [](EditFixture& f) {
         QWidget* focus = QApplication::focusWidget();
         QTest::keyClick(focus ? focus : f.main, Qt::Key_P, Qt::ControlModifier);
         QCOMPARE(f.app->prompts.shown.size(), 1);
         QCOMPARE(f.app->prompts.shown[0].kind, FakePrompts::Shown::PrintPreview);
     }},
    {"report, menu", O::Typed, D::Save, [](EditFixture& f) { f.Action("MIReport")->trigger(); }},
    {"fill menu", O::Filled, D::None, PickFill},
    {"close question, cancelled", O::Typed, D::None, CancelClose},
};

// Answers the command's dialog and question, then runs it.
void Run(EditFixture& f, const Command& command)
{
    FakePrompts& prompts = f.app->prompts;
    switch (command.dialog) {
        case Dialog::None: break;
        case Dialog::Open: prompts.fileNames.enqueue(f.file170); break;
        case Dialog::Import:
            prompts.fileNames.enqueue(f.file160);
            prompts.answers.enqueue(true);
            break;
        case Dialog::Save: prompts.fileNames.enqueue(f.savePath); break;
    }
    command.run(f);
}
}  // namespace

Q_DECLARE_METATYPE(const Cell*)
Q_DECLARE_METATYPE(const Command*)

class TestEditBeforeCommand : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void commands_data()
    {
        QTest::addColumn<const Cell*>("cell");
        QTest::addColumn<const Command*>("command");
        for (const Cell& cell : Cells)
            for (const Command& command : Commands)
                if (command.outcome != Outcome::Filled || cell.fillButton)
                    QTest::addRow("%s, %s", cell.name, command.name) << &cell << &command;
    }

    void commands()
    {
        QFETCH(const Cell*, cell);
        QFETCH(const Command*, command);
        EditFixture f(*cell, m_dir);
        f.type(QStringLiteral("20"));
        if (QTest::currentTestFailed())
            return;
        Run(f, *command);
        if (QTest::currentTestFailed())
            return;
        QVERIFY(!f.grid->isEditing());
        QCOMPARE(f.app->prompts.messages().size(), 0);
        // Whatever an editor still open would store lands now.
        f.main->hide();

        const ConfigImage& held = f.main->State().Image;
        ConfigImage expected = f.started;
        if (cell->offset >= 0)
            expected[cell->offset] = uint8_t(cell->typedCode);
        const QString shown = f.grid->cellText(cell->col, cell->row);
        switch (command->outcome) {
            case Outcome::Saved: {
                const QByteArray file = ReadAll(f.savePath);
                QCOMPARE(file.size(), 514);
                QVERIFY(FileImage(file) == held);
            }
                [[fallthrough]];
            case Outcome::Typed: QVERIFY(SameBlocks(held, expected, 0, 9)); break;
            case Outcome::Written:
                QVERIFY(SameBlocks(held, expected, 0, 9));
                QVERIFY(SameBlocks(f.panel.Image(), held, 0, 6));
                break;
            case Outcome::Started: QVERIFY(SameBlocks(held, f.started, 0, 9)); break;
            case Outcome::FromFile: QVERIFY(SameBlocks(held, f.fileImage(), 0, 9)); break;
            case Outcome::FromPanel:
                QVERIFY(SameBlocks(held, f.panel.Image(), 0, 6));
                QVERIFY(SameBlocks(held, f.started, 7, 9));
                break;
            case Outcome::Filled: QCOMPARE(int(held[cell->offset]), cell->fillCode); break;
        }
        if (cell->offset >= 0) {
            const bool typed = command->outcome == Outcome::Typed ||
                               command->outcome == Outcome::Saved ||
                               command->outcome == Outcome::Written;
            QCOMPARE(shown == QStringLiteral("20"), typed);
        }
    }

    void refusedNumber_data()
    {
        QTest::addColumn<const Cell*>("cell");
        QTest::addColumn<const Command*>("command");
        for (const Cell& cell : Cells)
            for (const Command& command : Commands)
                if (cell.offset >= 0 && command.outcome == Outcome::Saved)
                    QTest::addRow("%s, %s", cell.name, command.name) << &cell << &command;
    }

    // A number out of its range is refused as Enter refuses it, yellow cell
    // and status text included; the save writes the valid rest.
    void refusedNumber()
    {
        QFETCH(const Cell*, cell);
        QFETCH(const Command*, command);
        EditFixture f(*cell, m_dir);
        f.type(cell->invalid);
        Run(f, *command);
        QVERIFY(!f.grid->isEditing());
        QCOMPARE(f.main->StatusText(), cell->invalidStatus);
        QCOMPARE(f.grid->cellBackground(cell->col, cell->row), Yellow);
        QCOMPARE(f.grid->cellText(cell->col, cell->row), cell->invalid);
        const QByteArray file = ReadAll(f.savePath);
        QCOMPARE(file.size(), 514);
        QVERIFY(FileImage(file) == f.main->State().Image);
        QVERIFY(SameBlocks(f.main->State().Image, f.started, 0, 9));
    }
};

QTEST_MAIN(TestEditBeforeCommand)
#include "tst_edit_before_command.moc"
