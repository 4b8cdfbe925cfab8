#include "pages/outputs_page.h"

#include "model/input_assignment.h"
#include "model/out_data_base.h"
#include "pages/page_host.h"
#include "text/config_fields.h"
#include "text/field_path.h"
#include "widgets/control_factory.h"
#include "widgets/icons.h"
#include "widgets/picture_button.h"

#include <QAction>
#include <QMenu>

#include <optional>

namespace {
const QString OutOfRangeMessage = QStringLiteral(" Номер входа вне диапазона 1 - 64");
const QColor LockedNumberColour(192, 192, 192);
const QColor OutOfRangeColour(255, 255, 0);

constexpr int Columns = 8;
constexpr int Rows = 10;
constexpr int RowHeight = 22;

// What each of the columns 2..7 shows of an output.
struct SourceColumn {
    int Col;
    OutAction Action;
    OutSource Source;
};
constexpr SourceColumn SourceColumns[] = {
    {2, OutAction::Ack, OutSource::Panel},         {3, OutAction::Ack, OutSource::Modbus},
    {4, OutAction::Ack, OutSource::ExternalInput}, {5, OutAction::Reset, OutSource::Panel},
    {6, OutAction::Reset, OutSource::Modbus},      {7, OutAction::Reset, OutSource::ExternalInput},
};

std::optional<SourceColumn> SourceOfColumn(int col)
{
    for (const SourceColumn& c : SourceColumns)
        if (c.Col == col)
            return c;
    return std::nullopt;
}

// The column of an output's field, by the field's name in its path.
std::optional<int> ColumnOfField(const QString& name)
{
    static const struct {
        const char* Name;
        int Col;
    } columns[] = {
        {"type", TOutputsPage::TypeColumn},
        {"ack_from_panel", 2},
        {"ack_by_modbus", 3},
        {"ack_input", TOutputsPage::AckInputColumn},
        {"reset_from_panel", 5},
        {"reset_by_modbus", 6},
        {"reset_input", TOutputsPage::ResetInputColumn},
    };
    for (const auto& c : columns)
        if (name == QLatin1String(c.Name))
            return c.Col;
    return std::nullopt;
}

// The output (1..8) of a data row, or nothing for a header row.
std::optional<int> OutputOfRow(int row)
{
    const int output = row - TOutputsPage::FirstOutputRow + 1;
    if (output < 1 || output > OutDataBase::OutputCount)
        return std::nullopt;
    return output;
}
}  // namespace

TOutputsPage::TOutputsPage(PageHost& host, QWidget* parent)
    : EditorPage(host, QStringLiteral("AdvOfficePage4"), parent)
{
    ASGOutBase = new StringGrid(Columns, Rows, this);
    StylePageGrid(ASGOutBase, "ASGOutBase", QStringLiteral("Выходы"), {20, 10, 524, 224});
    ASGOutBase->setFixedCells(2, 1);
    ASGOutBase->setColumnWidths({40, 165, 50, 50, 50, 55, 55, 55});
    ASGOutBase->setRowHeights(RowHeight);
    ASGOutBase->setNumberMaxLength(2);
    ASGOutBase->setEditorTypeHandler(
        [this](int col, int row) { return ASGOutBaseGetEditorType(col, row); });
    ASGOutBase->setCanEditHandler(
        [this](int row, int col) { return ASGOutBaseCanEditCell(row, col); });
    connect(ASGOutBase, &StringGrid::comboChange, this, &TOutputsPage::ASGOutBaseComboChange);
    connect(ASGOutBase, &StringGrid::checkBoxClick, this, &TOutputsPage::ASGOutBaseCheckBoxClick);
    connect(ASGOutBase, &StringGrid::cellValidate, this, &TOutputsPage::ASGOutBaseCellValidate);

    PMFillOutDataBase = new QMenu(this);
    PMFillOutDataBase->setObjectName(QStringLiteral("PMFillOutDataBase"));
    QAction** items[] = {&N18, &N22, &N31, &N41};
    const char* names[] = {"N18", "N22", "N31", "N41"};
    for (int p = 0; p < int(OutTypeList.size()); ++p) {
        QAction* item = PMFillOutDataBase->addAction(QString::fromUtf8(OutTypeList[p].FillText));
        item->setObjectName(QLatin1String(names[p]));
        item->setData(p);
        *items[p] = item;
    }
    connect(PMFillOutDataBase, &QMenu::triggered, this, [this](QAction* item) { N18Click(item); });

    SBFillOutDataBase = MakeFillButton(
        this, "SBFillOutDataBase", 21, 250, PMFillOutDataBase, true,
        QStringLiteral("Заполнить: Световая, Звуковая, Управление, Управление с блок."));
    connect(SBFillOutDataBase, &PictureButton::clicked, this,
            [this] { m_host.SBShowPopup(SBFillOutDataBase); });
}

void TOutputsPage::InitOutDataBaseGrid()
{
    StringGrid* grid = ASGOutBase;
    for (int row = FirstOutputRow; row < Rows; ++row) {
        grid->setCellText(0, row, QString::number(row - 1));
        grid->setCellAlignment(0, row, Qt::AlignHCenter);
        for (const SourceColumn& c : SourceColumns) {
            if (c.Source == OutSource::ExternalInput)
                grid->setCellAlignment(c.Col, row, Qt::AlignRight);
            else
                grid->addCheckBox(c.Col, row, false);
        }
    }
    for (int row = 0; row < FirstOutputRow; ++row)
        for (int col = 0; col < Columns; ++col)
            grid->setCellAlignment(col, row, Qt::AlignHCenter);

    grid->mergeCells(0, 0, 1, 2);
    grid->mergeCells(TypeColumn, 0, 1, 2);
    grid->setCellText(TypeColumn, 0, QStringLiteral("Тип выхода"));
    grid->mergeCells(2, 0, 3, 1);
    grid->setCellText(2, 0, QStringLiteral("  Квитирование"));
    grid->mergeCells(5, 0, 3, 1);
    grid->setCellText(5, 0, QString::fromUtf8(OutActionName(OutAction::Reset)));
    for (const SourceColumn& c : SourceColumns)
        grid->setCellText(c.Col, 1, QString::fromUtf8(OutSourceName(c.Source)));

    QStringList types;
    for (const OutTypeRow& t : OutTypeList)
        types << QString::fromUtf8(t.ListText);
    grid->setDropDownItems(types);
}

void TOutputsPage::DefaultOutDataBase()
{
    DefaultOutDataBaseBytes(m_host.State().Image);
    GetOutDataBase();
}

void TOutputsPage::GetOutDataBase()
{
    const ConfigImage& image = m_host.State().Image;
    StringGrid* grid = ASGOutBase;
    grid->setUpdatesEnabled(false);
    for (int output = 1; output <= OutDataBase::OutputCount; ++output) {
        const int row = output + FirstOutputRow - 1;
        for (const SourceColumn& c : SourceColumns) {
            if (c.Source != OutSource::ExternalInput) {
                grid->setCheckBoxState(c.Col, row, OutputSource(image, output, c.Action, c.Source));
                continue;
            }
            const auto number = ExternalInputNumber(image[ExternalInputOffsetOf(output, c.Action)]);
            grid->setCellText(c.Col, row, number ? QString::number(*number) : QString());
        }
        grid->setCellText(TypeColumn, row,
                          QString::fromUtf8(OutTypeText(OutputType(image, output))));
        ShowNumberColours(row);
    }
    grid->setUpdatesEnabled(true);
    grid->viewport()->update();
    grid->setEnabled(true);
}

void TOutputsPage::ShowNumberColours(int row)
{
    const OutType type = OutputType(m_host.State().Image, *OutputOfRow(row));
    for (const SourceColumn& c : SourceColumns)
        if (c.Source == OutSource::ExternalInput)
            ASGOutBase->setCellFontColor(
                c.Col, row,
                OutActionAllowed(type, c.Action) ? QColor(Qt::black) : LockedNumberColour);
}

StringGrid::EditorKind TOutputsPage::ASGOutBaseGetEditorType(int col, int) const
{
    // The check box columns never open the edit: a click toggles the box.
    return col == TypeColumn ? StringGrid::EditorKind::DropDownList
                             : StringGrid::EditorKind::NumberEdit;
}

bool TOutputsPage::ASGOutBaseCanEditCell(int row, int col) const
{
    const auto output = OutputOfRow(row);
    const auto source = SourceOfColumn(col);
    if (!output || !source)
        return true;
    return OutActionAllowed(OutputType(m_host.State().Image, *output), source->Action);
}

void TOutputsPage::ASGOutBaseComboChange(int col, int row, int position, const QString&)
{
    const auto output = OutputOfRow(row);
    const auto type = OutTypeAt(position);
    if (col != TypeColumn || !output || !type)
        return;
    SetOutputType(m_host.State().Image, *output, *type);
    ShowNumberColours(row);
    // The locks of the row may have changed.
    for (const SourceColumn& c : SourceColumns)
        ASGOutBase->repaintCell(c.Col, row);
}

void TOutputsPage::ASGOutBaseCheckBoxClick(int col, int row, bool state)
{
    const auto output = OutputOfRow(row);
    const auto source = SourceOfColumn(col);
    if (!output || !source || source->Source == OutSource::ExternalInput)
        return;
    SetOutputSource(m_host.State().Image, *output, source->Action, source->Source, state);
}

void TOutputsPage::ASGOutBaseCellValidate(int col, int row, const QString& text)
{
    const auto output = OutputOfRow(row);
    const auto source = SourceOfColumn(col);
    if (!output || !source || source->Source != OutSource::ExternalInput)
        return;
    const auto code = ExternalInputCodeFromText(text);
    if (!code) {
        // The entered text stays on yellow; the image keeps its value.
        ASGOutBase->setCellColor(col, row, OutOfRangeColour);
        ASGOutBase->setCellRefused(col, row, OutOfRangeMessage);
        m_host.ShowStatus(OutOfRangeMessage);
        return;
    }
    ASGOutBase->clearCellColor(col, row);
    ASGOutBase->setCellRefused(col, row, QString());
    m_host.ShowVersionStatus();
    m_host.State().Image[ExternalInputOffsetOf(*output, source->Action)] = *code;
}

void TOutputsPage::N18Click(QAction* item)
{
    const auto type = OutTypeAt(item->data().toInt());
    if (!type)
        return;
    FillOutDataBase(m_host.State().Image, *type);
    GetOutDataBase();
}

void TOutputsPage::ShowCrossBarExtInputs()
{
    const RelayInputs inputs = AssignedRelayInputs(m_host.State().Image);
    for (int relay = 1; relay <= OutDataBase::OutputCount; ++relay) {
        const int row = relay + FirstOutputRow - 1;
        const auto ack = inputs.Ack[relay - 1];
        const auto reset = inputs.Reset[relay - 1];
        ASGOutBase->setCellText(AckInputColumn, row, ack ? QString::number(*ack) : QString());
        ASGOutBase->setCellText(ResetInputColumn, row, reset ? QString::number(*reset) : QString());
    }
}

bool TOutputsPage::FocusField(const FieldRow& row)
{
    if (row.Section != FieldSection::Outputs || row.Item < 1 || row.Item > OutDataBase::OutputCount)
        return false;
    const auto col = ColumnOfField(PathSteps(row.Path).constLast().Key);
    if (!col)
        return false;
    return FocusCell(ASGOutBase, *col, FirstOutputRow + row.Item - 1);
}
