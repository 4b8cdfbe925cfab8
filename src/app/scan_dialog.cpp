#include "app/scan_dialog.h"

#include "app/scan_worker.h"
#include "app/ui_texts.h"
#include "files/config_file.h"
#include "model/command_error.h"
#include "model/device_models.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <iterator>

namespace {
constexpr int LowestAddress = 1;
constexpr int HighestAddress = 247;

const QString FirstAddressName = QStringLiteral("Первый адрес");
const QString LastAddressName = QStringLiteral("Последний адрес");
const QStringList Columns{QStringLiteral("Адрес"),   QStringLiteral("Тип"),
                          QStringLiteral("Модель"),  QStringLiteral("ПО"),
                          QStringLiteral("Ревизия"), QStringLiteral("Параметры линии")};

// The line settings as orlix-cli scan prints them.
QString LineText(const SerialSettings& line)
{
    return QStringLiteral("%1 бод, стоп-битов %2, паритет %3")
        .arg(line.BaudRate)
        .arg(line.StopBits)
        .arg(ParityWord(line.Parity));
}

// The list's cells of a hit: address, kind as the scan names it, model,
// firmware "1.5", hardware revision "0x03", line settings.
QStringList HitCells(const ScanHit& hit)
{
    QStringList cells{QString::number(hit.Address), hit.Device,
                      hit.Family >= 0 ? FamilyName(hit.Family) : QString()};
    if (hit.HasFirmware)
        cells << QStringLiteral("%1.%2").arg(hit.Firmware.Major).arg(hit.Firmware.Minor)
              << QStringLiteral("0x%1").arg(
                     QStringLiteral("%1")
                         .arg(hit.Firmware.HardwareRevision, 2, 16, QLatin1Char('0'))
                         .toUpper());
    else
        cells << QString() << QString();
    cells << LineText(hit.Line);
    return cells;
}

// One CSV field: quoted when it holds the separator, a quote or a line end.
QString CsvField(const QString& text)
{
    if (!text.contains(QLatin1Char(';')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// The list as CSV: UTF-8 with a byte order mark, ";" between fields and
// CRLF after each row (RFC 4180), a header row first. The semicolon is
// what spreadsheets expect in locales whose decimal mark is a comma, the
// Russian one among them, and the device texts hold commas themselves;
// the byte order mark makes Excel read the file as UTF-8.
QByteArray CsvBytes(const QList<ScanHit>& hits)
{
    QList<QStringList> rows{Columns};
    for (const ScanHit& hit : hits)
        rows << HitCells(hit);
    QString text;
    for (const QStringList& row : rows) {
        QStringList fields;
        for (const QString& cell : row)
            fields << CsvField(cell);
        text += fields.join(QLatin1Char(';')) + QStringLiteral("\r\n");
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setAccessibleName(QString(text).remove(QLatin1Char('&')));
    return button;
}

QSpinBox* MakeAddressBox(QWidget* parent, const char* name, const QString& label, int value,
                         QHBoxLayout* row)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setRange(LowestAddress, HighestAddress);
    box->setValue(value);
    // The other box follows once a number is complete, not at each digit.
    box->setKeyboardTracking(false);
    box->setAccessibleName(label);
    auto* caption = new QLabel(QLatin1Char('&') + label, parent);
    caption->setBuddy(box);
    row->addWidget(caption);
    row->addWidget(box);
    return box;
}
}  // namespace

TFScan::TFScan(QWidget* parent, Prompts& prompts, const LinkSettings& port, FrameJournal* journal)
    : QDialog(parent),
      m_prompts(prompts),
      m_port(port),
      m_worker(new ScanWorker(journal, Title, this))
{
    setObjectName(Title);
    setWindowTitle(Title);
    setAccessibleName(Title);
    setWindowModality(Qt::WindowModal);
    setFont(UiText::FormFont());
    resize(720, 420);

    auto* top = new QHBoxLayout;
    FirstAddress = MakeAddressBox(this, "FirstAddress", FirstAddressName, LowestAddress, top);
    LastAddress = MakeAddressBox(this, "LastAddress", LastAddressName, HighestAddress, top);
    EveryLineSetting = new QCheckBox(QStringLiteral("все &скорости"), this);
    EveryLineSetting->setObjectName(QStringLiteral("EveryLineSetting"));
    EveryLineSetting->setAccessibleName(EveryLineSetting->text().remove(QLatin1Char('&')));
    EveryLineSetting->setAccessibleDescription(
        QStringLiteral("Каждая скорость ModBus с двумя и одним стоп-битом, без паритета, с "
                       "четным и нечетным"));
    top->addWidget(EveryLineSetting);
    top->addStretch();
    SearchButton = MakeButton(this, "SearchButton", QStringLiteral("&Искать"));
    SearchButton->setDefault(true);
    top->addWidget(SearchButton);

    Progress = new QProgressBar(this);
    Progress->setObjectName(QStringLiteral("ScanProgress"));
    Progress->setRange(0, 1);
    Progress->setValue(0);
    Progress->setFormat(QString());
    Progress->setAccessibleName(QStringLiteral("Ход поиска"));

    List = new QTableWidget(0, int(Columns.size()), this);
    List->setObjectName(QStringLiteral("ScanList"));
    List->setAccessibleName(QStringLiteral("Найденные устройства"));
    List->setHorizontalHeaderLabels(Columns);
    List->verticalHeader()->hide();
    List->horizontalHeader()->setStretchLastSection(true);
    List->setWordWrap(false);
    List->setTextElideMode(Qt::ElideRight);
    List->setSelectionBehavior(QAbstractItemView::SelectRows);
    List->setSelectionMode(QAbstractItemView::SingleSelection);
    List->setEditTriggers(QAbstractItemView::NoEditTriggers);
    List->setTabKeyNavigation(false);  // Tab leaves the list
    List->installEventFilter(this);

    auto* bottom = new QHBoxLayout;
    StopButton = MakeButton(this, "StopButton", QStringLiteral("С&топ"));
    ChooseButton = MakeButton(this, "ChooseButton", QStringLiteral("&Выбрать"));
    SaveButton = MakeButton(this, "SaveButton", QStringLiteral("Со&хранить..."));
    CloseButton = MakeButton(this, "CloseButton", UiText::CloseButton);
    for (QPushButton* button : {StopButton, ChooseButton, SaveButton})
        bottom->addWidget(button);
    bottom->addStretch();
    bottom->addWidget(CloseButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(Progress);
    layout->addWidget(List, 1);
    layout->addLayout(bottom);

    QWidget* order[] = {FirstAddress, LastAddress,  EveryLineSetting, SearchButton, List,
                        StopButton,   ChooseButton, SaveButton,       CloseButton};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    m_saveDialog.Title = QStringLiteral("Сохранить список устройств");
    m_saveDialog.Filters = QStringList{QStringLiteral("Файлы CSV (*.csv)"), UiText::AllFilesFilter};
    m_saveDialog.DefaultSuffix = QStringLiteral("csv");
    m_saveDialog.ConfirmOverwrite = true;
    m_saveDialog.Save = true;

    connect(FirstAddress, &QSpinBox::valueChanged, this, [this](int first) {
        if (LastAddress->value() < first)
            LastAddress->setValue(first);
    });
    connect(LastAddress, &QSpinBox::valueChanged, this, [this](int last) {
        if (FirstAddress->value() > last)
            FirstAddress->setValue(last);
    });
    connect(SearchButton, &QPushButton::clicked, this, &TFScan::Search);
    connect(StopButton, &QPushButton::clicked, this, &TFScan::StopScan);
    connect(ChooseButton, &QPushButton::clicked, this, &TFScan::Choose);
    connect(SaveButton, &QPushButton::clicked, this, &TFScan::SaveList);
    connect(CloseButton, &QPushButton::clicked, this, &TFScan::reject);
    connect(List, &QTableWidget::currentCellChanged, this, &TFScan::UpdateControls);
    connect(List, &QTableWidget::cellDoubleClicked, this, [this] {
        if (ChooseButton->isEnabled())
            Choose();
    });
    connect(m_worker, &ScanWorker::Trying, this, &TFScan::ShowTrying);
    connect(m_worker, &ScanWorker::Found, this, &TFScan::AddHit);
    connect(m_worker, &ScanWorker::Failed, this, &TFScan::ShowFailure);
    connect(m_worker, &ScanWorker::Finished, this, &TFScan::ShowFinished);
    UpdateControls();
}

TFScan::~TFScan()
{
    // Before any widget goes: nothing of the scan may outlive the dialog.
    m_worker->StopAndWait();
}

bool TFScan::IsScanning() const
{
    return m_worker->IsRunning();
}

void TFScan::Search()
{
    if (m_scanning)
        return;
    // A number still being typed counts.
    FirstAddress->interpretText();
    LastAddress->interpretText();
    ScanRequest request;
    request.Port = m_port;
    for (int a = FirstAddress->value(); a <= LastAddress->value(); ++a)
        request.Addresses << uint8_t(a);
    request.EveryLineSetting = EveryLineSetting->isChecked();

    m_hits.clear();
    List->setRowCount(0);
    m_scanning = true;
    m_failed = false;
    const bool focusLost = SearchButton->hasFocus() || FirstAddress->hasFocus() ||
                           LastAddress->hasFocus() || EveryLineSetting->hasFocus();
    UpdateControls();
    if (focusLost)
        StopButton->setFocus(Qt::OtherFocusReason);
    m_worker->Start(request);
}

void TFScan::StopScan()
{
    m_worker->Stop();
}

bool TFScan::CurrentIsPanel() const
{
    const int row = List->currentRow();
    return row >= 0 && row < m_hits.size() && m_hits[row].Answer.Result == ProbeAnswer::Kind::Panel;
}

void TFScan::Choose()
{
    if (!CurrentIsPanel())
        return;
    const ScanHit hit = m_hits[List->currentRow()];
    m_worker->StopAndWait();
    emit Chosen(hit.Address, hit.Line);
    accept();
}

void TFScan::SaveList()
{
    const QString path = m_prompts.FileName(this, m_saveDialog);
    if (path.isEmpty())
        return;
    m_saveDialog.FileName = path;
    try {
        WriteConfigFile(path, CsvBytes(m_hits));
    } catch (const CommandError& e) {
        m_prompts.Message(this, UiText::AppTitle, ErrorBoxText(e.Message()), Prompts::Icon::Error,
                          e.Detail());
    }
}

void TFScan::done(int result)
{
    m_worker->StopAndWait();
    QDialog::done(result);
}

bool TFScan::eventFilter(QObject* watched, QEvent* event)
{
    // Enter on a row chooses it; it never reaches the default button.
    if (watched == List && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (ChooseButton->isEnabled())
                Choose();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFScan::ShowTrying(int done, int total, uint8_t address, const SerialSettings& line,
                        int setting, int settings)
{
    Progress->setMaximum(std::max(total, 1));
    Progress->setValue(done);
    QString text = QStringLiteral("Адрес %1 из %2").arg(address).arg(LastAddress->value());
    if (settings > 1)
        text += QStringLiteral("; %1 (настройка %2 из %3)")
                    .arg(LineText(line))
                    .arg(setting)
                    .arg(settings);
    ShowProgressText(text);
}

void TFScan::AddHit(const ScanHit& hit)
{
    m_hits << hit;
    const int row = List->rowCount();
    List->insertRow(row);
    const QStringList cells = HitCells(hit);
    for (int column = 0; column < cells.size(); ++column) {
        auto* item = new QTableWidgetItem(cells[column]);
        item->setToolTip(cells[column]);  // a long identification, whole
        List->setItem(row, column, item);
    }
    List->resizeColumnsToContents();
    List->resizeRowsToContents();
    // The kind of another device can be long: it keeps a share of the
    // width, so that the line settings stay in sight, and tells the rest
    // in its tool tip.
    constexpr int KindColumn = 1;
    const int kindWidth = List->viewport()->width() / 3;
    if (List->columnWidth(KindColumn) > kindWidth)
        List->setColumnWidth(KindColumn, kindWidth);
    UpdateControls();
}

void TFScan::ShowFailure(const QString& message, const QString& detail)
{
    m_failed = true;
    ShowProgressText(QStringLiteral("Поиск не выполнен"));
    m_prompts.Message(this, UiText::AppTitle, ErrorBoxText(message), Prompts::Icon::Error, detail);
}

void TFScan::ShowFinished(bool stopped)
{
    const bool stopHadFocus = StopButton->hasFocus();
    m_scanning = false;
    if (stopped)
        ShowProgressText(
            QStringLiteral("Поиск остановлен, найдено устройств: %1").arg(m_hits.size()));
    else if (!m_failed) {
        Progress->setValue(Progress->maximum());
        ShowProgressText(QStringLiteral("Найдено устройств: %1").arg(m_hits.size()));
    }
    UpdateControls();
    if (stopHadFocus)
        (m_hits.isEmpty() ? static_cast<QWidget*>(SearchButton) : List)
            ->setFocus(Qt::OtherFocusReason);
}

void TFScan::ShowProgressText(const QString& text)
{
    Progress->setFormat(text);
    Progress->setAccessibleName(text);
}

void TFScan::UpdateControls()
{
    for (QWidget* w :
         std::initializer_list<QWidget*>{FirstAddress, LastAddress, EveryLineSetting, SearchButton})
        w->setEnabled(!m_scanning);
    StopButton->setEnabled(m_scanning);
    ChooseButton->setEnabled(CurrentIsPanel());
    SaveButton->setEnabled(!m_hits.isEmpty());
}
