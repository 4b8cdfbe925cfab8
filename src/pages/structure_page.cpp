#include "pages/structure_page.h"

#include "model/output_activation.h"
#include "pages/page_host.h"
#include "text/config_fields.h"
#include "text/field_path.h"
#include "widgets/button_fonts.h"
#include "widgets/click_grid.h"
#include "widgets/control_factory.h"
#include "widgets/icons.h"
#include "widgets/picture_button.h"
#include "widgets/rotated_text_delegate.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>

namespace {
const QColor ActiveRelayColour(255, 128, 0);
const QColor ActiveRelayText(255, 255, 255);
const QColor RejectedNumberColour(255, 255, 0);
const QColor GreyNumberColour(192, 192, 192);
const QColor FillButtonCaptionColour(0, 0, 255);

constexpr int Columns = 12;
constexpr int Rows = 65;
constexpr int RowHeight = 22;
constexpr int InputCount = InputAssignment::Length;
constexpr int DiscreteInputs = InputAssignment::DiscreteInputCount;
constexpr int RelayCount = OutputActivation::RelayCount;

const QString DiscreteInputsText = QStringLiteral("Д  и  с  к  р  е  т  н  ы  е    в  х  о  д  ы");
const QString ModbusInputsText = QStringLiteral("В  х  о  д  ы    M  o  d  B  u  s");

// Row r (1..64) shows input r; row 0 is the header.
bool IsInputRow(int row)
{
    return row >= 1 && row <= InputCount;
}
}  // namespace

TStructurePage::TStructurePage(PageHost& host, QWidget* parent)
    : EditorPage(host, QStringLiteral("AdvOfficePage7"), parent)
{
    ASGCrossBar = new ClickGrid(Columns, Rows, this);
    StylePageGrid(ASGCrossBar, "ASGCrossBar", QStringLiteral("Структура"), {20, 10, 524, 378});
    ASGCrossBar->setFixedCells(1, 2);
    ASGCrossBar->setColumnWidths({25, 25, 24, 24, 24, 24, 24, 24, 25, 24, 175, 55});
    ASGCrossBar->setRowHeights(RowHeight);
    ASGCrossBar->freezeFirstRow();
    ASGCrossBar->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ASGCrossBar->setWheelScrolls(false);
    ASGCrossBar->setNumberMaxLength(2);
    ASGCrossBar->setEditorTypeHandler(
        [this](int col, int) { return ASGCrossBarGetEditorType(col); });
    ASGCrossBar->setCanEditHandler(
        [this](int row, int col) { return ASGCrossBarCanEditCell(row, col); });
    connect(ASGCrossBar, &ClickGrid::clickCell, this,
            [this](int col, int row) { ASGCrossBarClickCell(row, col); });
    connect(ASGCrossBar, &StringGrid::comboChange, this,
            [this](int col, int row, int, const QString& text) {
                if (col == KindColumn)
                    ASGCrossBarComboChange(row, text);
            });
    connect(ASGCrossBar, &StringGrid::cellValidate, this,
            [this](int col, int row, const QString&) { ASGCrossBarCellValidate(row, col); });

    PMFillCrossBar = new QMenu(this);
    PMFillCrossBar->setObjectName(QStringLiteral("PMFillCrossBar"));
    auto addItem = [this](const char* name, const QString& text, int position,
                          void (TStructurePage::*handler)()) {
        QAction* item = PMFillCrossBar->addAction(text);
        item->setObjectName(QLatin1String(name));
        item->setData(position);
        connect(item, &QAction::triggered, this, handler);
        return item;
    };
    N71 = addItem("N71", QStringLiteral("С модулей БВХ-7"), 0, &TStructurePage::N71Click);
    ModBus2 = addItem("ModBus2", QStringLiteral("С ModBus"), 1, &TStructurePage::ModBus2Click);
    N19 = addItem("N19", QStringLiteral("Пусто"), 2, &TStructurePage::N19Click);

    // Unlike the other fill buttons, a right click opens nothing here.
    SBFillCrossBar = MakeFillButton(this, "SBFillCrossBar", 555, 10, PMFillCrossBar, false,
                                    QStringLiteral("Заполнить: С модулей БВХ-7, С ModBus, Пусто"));
    SetBoldCaptionFont(SBFillCrossBar, FillButtonCaptionColour, 0);
    connect(SBFillCrossBar, &PictureButton::clicked, this,
            [this] { m_host.SBShowPopup(SBFillCrossBar); });

    ButtonGetCrossBar = MakeHiddenButton(this, "ButtonGetCrossBar", QStringLiteral("Get"));
    connect(ButtonGetCrossBar, &QPushButton::clicked, this, [this] { GetCrossBar(); });
    ButtonDefaultCrossBar =
        MakeHiddenButton(this, "ButtonDefaultCrossBar", QStringLiteral("Default"));
    connect(ButtonDefaultCrossBar, &QPushButton::clicked, this, [this] { DefaultCrossBar(); });
}

void TStructurePage::SetupCrossBar()
{
    ClickGrid* grid = ASGCrossBar;
    grid->mergeCells(0, 0, 2, 1);
    grid->setCellText(0, 0, QStringLiteral("Вход"));
    grid->mergeCells(FirstRelayColumn, 0, RelayCount, 1);
    grid->setCellText(FirstRelayColumn, 0, QStringLiteral("Активация выходов"));
    grid->setCellText(KindColumn, 0, QStringLiteral("Назначение"));
    grid->setCellText(NumberColumn, 0, QStringLiteral("№"));
    for (int col = 0; col < Columns; ++col)
        grid->setCellAlignment(col, 0, Qt::AlignHCenter);

    auto* rotated = new RotatedTextDelegate(grid);
    grid->setItemDelegateForColumn(0, rotated);
    grid->mergeCells(0, 1, 1, DiscreteInputs);
    grid->setCellText(0, 1, DiscreteInputsText);
    rotated->setRotated(0, 1);
    grid->mergeCells(0, DiscreteInputs + 1, 1, InputCount - DiscreteInputs);
    grid->setCellText(0, DiscreteInputs + 1, ModbusInputsText);
    rotated->setRotated(0, DiscreteInputs + 1);

    QStringList rowNumbers;
    for (int row = 1; row <= InputCount; ++row) {
        grid->setCellText(InputColumn, row, QString::number(row));
        grid->setCellAlignment(InputColumn, row, Qt::AlignHCenter);
        for (int relay = 1; relay <= RelayCount; ++relay) {
            const int col = FirstRelayColumn + relay - 1;
            grid->setCellText(col, row, QString::number(relay));
            grid->setCellAccessibleName(col, row,
                                        QStringLiteral("Вход %1, реле %2").arg(row).arg(relay));
            grid->setCellAlignment(col, row, Qt::AlignHCenter);
        }
        grid->setCellAlignment(NumberColumn, row, Qt::AlignRight);
        rowNumbers << QString::number(row);
    }
    grid->setRowHeaderTexts(rowNumbers);
    // The relay kinds are shown when an image brings them but not offered.
    grid->setDropDownItems(
        {AssignmentKindText(AssignmentKind::akWindow), AssignmentKindText(AssignmentKind::akNone)});
}

void TStructurePage::DefaultCrossBar()
{
    ConfigImage& image = m_host.State().Image;
    DefaultInputAssignmentBytes(image);
    DefaultOutputActivationBytes(image);
    GetCrossBar();
}

void TStructurePage::GetCrossBar()
{
    ASGCrossBar->setUpdatesEnabled(false);
    for (int i = 0; i < InputCount; ++i) {
        ShowActivationRow(i);
        ShowAssignmentRow(i);
    }
    ASGCrossBar->setUpdatesEnabled(true);
    m_host.ShowVersionStatus();
}

void TStructurePage::ShowRelayCell(int row, int relay)
{
    const int col = FirstRelayColumn + relay - 1;
    const bool active = InputActivatesRelay(m_host.State().Image, row, relay);
    ASGCrossBar->setCellOnOff(col, row, active);
    if (active) {
        ASGCrossBar->setCellColor(col, row, ActiveRelayColour);
        ASGCrossBar->setCellFontColor(col, row, ActiveRelayText);
    } else {
        ASGCrossBar->clearCellColor(col, row);
        ASGCrossBar->setCellFontColor(col, row, Qt::black);
    }
}

void TStructurePage::ShowActivationRow(int i)
{
    for (int relay = 1; relay <= RelayCount; ++relay)
        ShowRelayCell(i + 1, relay);
}

void TStructurePage::ShowAssignmentRow(int i)
{
    const int row = i + 1;
    const uint8_t code = InputAssignmentCode(m_host.State().Image, row);
    ASGCrossBar->setCellText(KindColumn, row, AssignmentKindText(AssignmentKindOf(code)));
    ASGCrossBar->clearCellColor(NumberColumn, row);
    ASGCrossBar->setCellRefused(NumberColumn, row, QString());
    ASGCrossBar->setCellFontColor(NumberColumn, row, Qt::black);
    const auto number = AssignmentNumber(code);
    ASGCrossBar->setCellText(NumberColumn, row, number ? QString::number(*number) : QString());
}

void TStructurePage::ASGCrossBarClickCell(int row, int col)
{
    const int relay = col - FirstRelayColumn + 1;
    if (!IsInputRow(row) || relay < 1 || relay > RelayCount)
        return;
    ToggleRelayActivation(m_host.State().Image, row, relay);
    ShowRelayCell(row, relay);
}

StringGrid::EditorKind TStructurePage::ASGCrossBarGetEditorType(int col) const
{
    return col == KindColumn ? StringGrid::EditorKind::DropDownList
                             : StringGrid::EditorKind::NumberEdit;
}

bool TStructurePage::ASGCrossBarCanEditCell(int row, int col) const
{
    if (col == KindColumn)
        return true;
    if (col == NumberColumn)
        return ASGCrossBar->cellText(KindColumn, row) != AssignmentKindText(AssignmentKind::akNone);
    // The relay cells toggle on a click instead.
    return false;
}

bool TStructurePage::CheckAssignmentNumber(int row, AssignmentKind kind)
{
    if (AssignmentCodeFor(kind, ASGCrossBar->cellText(NumberColumn, row))) {
        ASGCrossBar->clearCellColor(NumberColumn, row);
        ASGCrossBar->setCellRefused(NumberColumn, row, QString());
        m_host.ShowVersionStatus();
        return true;
    }
    const QString message = QString::fromUtf8(AssignmentKindInfo(kind).RangeMessage);
    ASGCrossBar->setCellColor(NumberColumn, row, RejectedNumberColour);
    ASGCrossBar->setCellRefused(NumberColumn, row, message);
    m_host.ShowStatus(message);
    return false;
}

void TStructurePage::StoreAssignment(int row, AssignmentKind kind)
{
    const auto code = AssignmentCodeFor(kind, ASGCrossBar->cellText(NumberColumn, row));
    if (IsInputRow(row) && code)
        SetInputAssignmentCode(m_host.State().Image, row, *code);
}

void TStructurePage::ASGCrossBarComboChange(int row, const QString& text)
{
    const auto kind = AssignmentKindOfText(text);
    if (!IsInputRow(row) || !kind)
        return;
    if (*kind == AssignmentKind::akNone) {
        SetInputAssignmentCode(m_host.State().Image, row, InputAssignment::NoAssignment);
        ASGCrossBar->setCellFontColor(NumberColumn, row, GreyNumberColour);
    } else {
        ASGCrossBar->setCellFontColor(NumberColumn, row, Qt::black);
    }
    if (CheckAssignmentNumber(row, *kind))
        StoreAssignment(row, *kind);
}

void TStructurePage::ASGCrossBarCellValidate(int row, int)
{
    const auto kind = AssignmentKindOfText(ASGCrossBar->cellText(KindColumn, row));
    if (!IsInputRow(row) || !kind)
        return;
    // The edit itself is always accepted: a rejected number stays in view.
    if (CheckAssignmentNumber(row, *kind))
        StoreAssignment(row, *kind);
}

void TStructurePage::FillCrossBar(CrossBarFill fill)
{
    ConfigImage& image = m_host.State().Image;
    ClearOutputActivation(image);
    FillInputAssignment(image, fill);
    GetCrossBar();
    m_host.ShowCrossBarExtInputs();
}

void TStructurePage::N71Click()
{
    FillCrossBar(CrossBarFill::FromInputModules);
}

void TStructurePage::ModBus2Click()
{
    FillCrossBar(CrossBarFill::FromModbus);
}

void TStructurePage::N19Click()
{
    FillCrossBar(CrossBarFill::Empty);
    // Grey numbers that a later pick of the window kind finds: input k then
    // lands on window k.
    for (int row = 1; row <= DiscreteInputs; ++row) {
        ASGCrossBar->setCellText(NumberColumn, row, QString::number(row));
        ASGCrossBar->setCellFontColor(NumberColumn, row, GreyNumberColour);
    }
}

bool TStructurePage::FocusField(const FieldRow& row)
{
    if (!IsInputRow(row.Item))
        return false;
    if (row.Section == FieldSection::Crossbar)
        return FocusCell(ASGCrossBar, KindColumn, row.Item);
    if (row.Section != FieldSection::Activation)
        return false;
    const int relay = PathSteps(row.Path).constLast().Index;
    if (relay < 1 || relay > RelayCount)
        return false;
    return FocusCell(ASGCrossBar, FirstRelayColumn + relay - 1, row.Item);
}
