#include "pages/external_net_page.h"

#include "model/request_table.h"
#include "pages/mb_master_form.h"
#include "pages/page_host.h"
#include "pages/page_texts.h"
#include "widgets/button_fonts.h"
#include "widgets/control_factory.h"
#include "widgets/row_select_grid.h"

#include <QPushButton>
#include <QToolButton>

namespace {
constexpr int Columns = 7;
constexpr int Rows = TExternalNetPage::FirstRequestRow + ExternalNet::MaxRecords;
constexpr int RowHeight = 22;
const QColor InputColumnColour(226, 228, 245);

QToolButton* MakeSpeedButton(QWidget* parent, const char* name, const QString& caption,
                             const QString& accessibleName, int top, int pointSize)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setText(caption);
    button->setAccessibleName(accessibleName);
    button->setAutoRaise(true);
    button->setGeometry(558, top, 35, 35);
    SetNavyBoldFont(button, pointSize);
    return button;
}

QPushButton* MakePushButton(QWidget* parent, const char* name, const QString& caption, int top)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(546, top, 75, 22);
    return button;
}
}  // namespace

TExternalNetPage::TExternalNetPage(PageHost& host, QWidget* parent)
    : EditorPage(host, QStringLiteral("AdvOfficePage8"), parent)
{
    ASGExternalNet = new RowSelectGrid(Columns, Rows, this);
    StylePageGrid(ASGExternalNet, "ASGExternalNet", QStringLiteral("Внешняя сеть"),
                  {20, 10, 524, 400});
    ASGExternalNet->setSelectCellHandler(
        [this](int, int row) { return ASGExternalNetSelectCell(row); });
    connect(ASGExternalNet, &RowSelectGrid::dblClickCell, this,
            [this](int, int row) { ASGExternalNetDblClickCell(row); });

    SBAddRequest = MakeSpeedButton(this, "SBAddRequest", QStringLiteral("+"),
                                   QStringLiteral("Добавить запрос"), 10, 14);
    SBDelRequest = MakeSpeedButton(this, "SBDelRequest", QStringLiteral("-"),
                                   QStringLiteral("Удалить запрос"), 46, 14);
    SBUpRequestRow = MakeSpeedButton(this, "SBUpRequestRow", QStringLiteral("Up"),
                                     QStringLiteral("Запрос вверх"), 110, 8);
    SBDownRequestRow = MakeSpeedButton(this, "SBDownRequestRow", QStringLiteral("Down"),
                                       QStringLiteral("Запрос вниз"), 146, 8);
    Button28 = MakePushButton(this, "Button28", QStringLiteral("TEST"), 338);
    QFont bold = Button28->font();
    bold.setBold(true);
    Button28->setFont(bold);
    Button17 = MakePushButton(this, "Button17", QStringLiteral("Get"), 362);
    Button27 = MakeHiddenButton(this, "Button27", QStringLiteral("Default"));
    Button27->setGeometry(546, 384, 75, 22);

    connect(SBAddRequest, &QToolButton::clicked, this, [this] { SBAddRequestClick(); });
    connect(SBDelRequest, &QToolButton::clicked, this, [this] { SBDelRequestClick(); });
    connect(SBUpRequestRow, &QToolButton::clicked, this, [this] { SBUpRequestRowClick(); });
    connect(SBDownRequestRow, &QToolButton::clicked, this, [this] { SBDownRequestRowClick(); });
    connect(Button28, &QPushButton::clicked, this, [this] { Button28Click(); });
    connect(Button17, &QPushButton::clicked, this, [this] { GetExternalNet(); });
    connect(Button27, &QPushButton::clicked, this, [this] { DefaultExternalNet(); });

    FMBMaster = new TFMBMaster(this);
}

void TExternalNetPage::SetupExternalNet()
{
    RowSelectGrid* grid = ASGExternalNet;
    grid->setFixedCells(FirstRequestRow, 0);
    grid->setColumnWidths({60, 80, 80, 60, 80, 80, 80});
    grid->setRowHeights(RowHeight);

    const struct {
        int Col, Row, ColSpan, RowSpan;
        const char* Text;
    } headers[] = {
        {0, 0, 1, 2, "Устрой- ство"},
        {1, 0, 1, 2, "Функция ModBus"},
        {2, 0, 3, 1, "Данные"},
        {2, 1, 1, 1, PageText::RequestAddress},
        {3, 1, 1, 1, PageText::RequestCount},
        {4, 1, 1, 1, "№ Входа"},
        {5, 0, 1, 2, "Квитиро- вание"},
        {6, 0, 1, 2, "Cброс"},  // a Latin C
    };
    for (const auto& h : headers) {
        if (h.ColSpan > 1 || h.RowSpan > 1)
            grid->mergeCells(h.Col, h.Row, h.ColSpan, h.RowSpan);
        grid->setCellText(h.Col, h.Row, QString::fromUtf8(h.Text));
        grid->setCellAlignment(h.Col, h.Row, Qt::AlignHCenter);
    }
    for (int row = FirstRequestRow; row < Rows; ++row) {
        for (int col = 0; col < Columns; ++col)
            grid->setCellAlignment(col, row, col < InputColumn ? Qt::AlignRight : Qt::AlignHCenter);
        grid->setCellColor(InputColumn, row, InputColumnColour);
    }
    QStringList requestNumbers;
    for (int k = 1; k <= ExternalNet::MaxRecords; ++k)
        requestNumbers << QString::number(k);
    grid->setRowHeaderTexts(requestNumbers);
    grid->clearSelection();
}

bool TExternalNetPage::ASGExternalNetSelectCell(int row) const
{
    return row < RecordsInUse(m_host.State().Image, NetTable::Request) + FirstRequestRow;
}

void TExternalNetPage::ASGExternalNetDblClickCell(int row)
{
    const int request = row - FirstRequestRow;
    if (request < 0 || request >= RecordsInUse(m_host.State().Image, NetTable::Request))
        return;
    OpenRequestDetails(request);
}

void TExternalNetPage::OpenRequestDetails(int request)
{
    const ConfigImage& image = m_host.State().Image;
    const RequestRecord record = NetRecord(image, NetTable::Request, request);
    auto recordOf = [&](NetTable table) -> std::optional<RequestRecord> {
        const int k = FindDeviceRecord(image, record.Device, table);
        if (k < 0)
            return std::nullopt;
        return NetRecord(image, table, k);
    };
    FMBMaster->FillRequestDetails(record, recordOf(NetTable::Ack), recordOf(NetTable::Reset));
    // Modal to the main window, without blocking the caller: the dialog
    // reads nothing back when it closes.
    FMBMaster->open();
}
