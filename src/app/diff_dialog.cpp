#include "app/diff_dialog.h"

#include "app/ui_texts.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {
// Texts with numbers in them in the order people read them: "Вход 2"
// before "Вход 12", "вход 9" before "вход 10"; letters without case.
int NaturalCompare(const QString& a, const QString& b)
{
    auto digitsEnd = [](const QString& s, qsizetype at) {
        while (at < s.size() && s[at].isDigit())
            ++at;
        return at;
    };
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            const qsizetype ei = digitsEnd(a, i);
            const qsizetype ej = digitsEnd(b, j);
            // Without leading zeros the longer number is the greater one.
            while (i + 1 < ei && a[i] == QLatin1Char('0'))
                ++i;
            while (j + 1 < ej && b[j] == QLatin1Char('0'))
                ++j;
            if (ei - i != ej - j)
                return ei - i < ej - j ? -1 : 1;
            if (const int c =
                    QStringView(a).sliced(i, ei - i).compare(QStringView(b).sliced(j, ej - j));
                c != 0)
                return c;
            i = ei;
            j = ej;
            continue;
        }
        const char32_t ca = a[i].toCaseFolded().unicode();
        const char32_t cb = b[j].toCaseFolded().unicode();
        if (ca != cb)
            return ca < cb ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size())
        return 1;
    return j < b.size() ? -1 : 0;
}

class NaturalItem : public QTableWidgetItem {
public:
    explicit NaturalItem(const QString& text) : QTableWidgetItem(text) {}
    bool operator<(const QTableWidgetItem& other) const override
    {
        return NaturalCompare(text(), other.text()) < 0;
    }
};

QPushButton* Button(const QString& text, const char* name, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setAccessibleName(QString(text).remove(QLatin1Char('&')));
    return button;
}
}  // namespace

TFDiff::TFDiff(QWidget* parent)
    : QDialog(parent),
      m_device(new QLabel(this)),
      m_table(new QTableWidget(0, ColumnCount, this)),
      m_goTo(Button(QStringLiteral("&Перейти"), "DiffGoTo", this)),
      m_take(Button(QStringLiteral("&Взять из панели"), "DiffTake", this)),
      m_close(Button(UiText::CloseButton, "DiffClose", this))
{
    setObjectName(QStringLiteral("FDiff"));
    setWindowTitle(QStringLiteral("Отличия от панели"));
    setAccessibleName(windowTitle());
    resize(620, 360);

    m_device->setObjectName(QStringLiteral("DiffDevice"));
    m_table->setObjectName(QStringLiteral("DiffList"));
    m_table->setAccessibleName(windowTitle());
    m_table->setHorizontalHeaderLabels(
        {QStringLiteral("Поле"), QStringLiteral("Панель"), UiText::Configuration});
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->setTabKeyNavigation(false);
    m_table->setWordWrap(false);
    QHeaderView* header = m_table->horizontalHeader();
    header->setSectionResizeMode(FieldColumn, QHeaderView::Stretch);
    header->resizeSection(PanelColumn, 150);
    header->resizeSection(WindowColumn, 150);
    // Sorted by the user only: until a header is clicked the rows keep the
    // pages' order.
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    connect(header, &QHeaderView::sortIndicatorChanged, this, &TFDiff::SortBy);
    m_table->installEventFilter(this);
    connect(m_table, &QTableWidget::doubleClicked, this, &TFDiff::GoToCurrent);

    // Enter on the table (which passes it on) presses Перейти; on another
    // button, that button.
    m_goTo->setDefault(true);
    connect(m_goTo, &QPushButton::clicked, this, &TFDiff::GoToCurrent);
    connect(m_take, &QPushButton::clicked, this, &TFDiff::takeFromPanel);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_goTo);
    buttons->addWidget(m_take);
    buttons->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_device);
    layout->addWidget(m_table, 1);
    layout->addLayout(buttons);
    setTabOrder(m_table, m_goTo);
    setTabOrder(m_goTo, m_take);
    setTabOrder(m_take, m_close);
}

void TFDiff::SetDifferences(const QList<FieldDifference>& differences, const ConfigImage& panel,
                            int family, const QString& device)
{
    m_panel = panel;
    m_family = family;
    m_device->setText(device);
    m_table->setAccessibleDescription(device);
    m_table->clearContents();
    m_table->setRowCount(int(differences.size()));
    for (int r = 0; r < differences.size(); ++r) {
        const FieldDifference& d = differences[r];
        auto* field = new NaturalItem(d.Row->Label);
        field->setData(Qt::UserRole, QVariant::fromValue(quintptr(d.Row)));
        m_table->setItem(r, FieldColumn, field);
        m_table->setItem(r, PanelColumn, new NaturalItem(FieldValueText(*d.Row, d.A)));
        m_table->setItem(r, WindowColumn, new NaturalItem(FieldValueText(*d.Row, d.B)));
    }
    if (m_sortColumn >= 0)
        m_table->sortItems(m_sortColumn, m_sortOrder);
    // The first row current for Enter, but none selected: Ctrl+C takes all
    // until the user selects.
    m_table->clearSelection();
    if (m_table->rowCount() > 0)
        m_table->selectionModel()->setCurrentIndex(m_table->model()->index(0, FieldColumn),
                                                   QItemSelectionModel::NoUpdate);
    m_table->setFocus(Qt::OtherFocusReason);
}

const FieldRow* TFDiff::FieldAt(int row) const
{
    const QTableWidgetItem* item = m_table->item(row, FieldColumn);
    return item ? reinterpret_cast<const FieldRow*>(item->data(Qt::UserRole).value<quintptr>())
                : nullptr;
}

QString TFDiff::CopyText() const
{
    QList<int> rows;
    for (const QModelIndex& index : m_table->selectionModel()->selectedRows())
        rows << index.row();
    if (rows.isEmpty())
        for (int r = 0; r < m_table->rowCount(); ++r)
            rows << r;
    std::sort(rows.begin(), rows.end());

    QStringList cells;
    for (int c = 0; c < ColumnCount; ++c)
        cells << m_table->horizontalHeaderItem(c)->text();
    QStringList lines{cells.join(QLatin1Char('\t'))};
    for (int r : rows) {
        cells.clear();
        for (int c = 0; c < ColumnCount; ++c)
            cells << m_table->item(r, c)->text();
        lines << cells.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

bool TFDiff::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_table || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->matches(QKeySequence::Copy)) {
        QGuiApplication::clipboard()->setText(CopyText());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TFDiff::GoToCurrent()
{
    if (const FieldRow* row = FieldAt(m_table->currentRow()))
        emit goToField(*row);
}

void TFDiff::SortBy(int column, Qt::SortOrder order)
{
    m_sortColumn = column;
    m_sortOrder = order;
    if (column >= 0)
        m_table->sortItems(column, order);
}
