#include "app/journal_window.h"

#include "app/journal_model.h"
#include "app/prompts.h"
#include "app/ui_texts.h"
#include "files/config_file.h"
#include "model/command_error.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

QPushButton* Button(const QString& text, const char* name, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setAccessibleName(QString(text).remove(QLatin1Char('&')).remove(QStringLiteral("...")));
    return button;
}

}  // namespace

TFJournal::TFJournal(FrameJournal& journal, Prompts& prompts, QWidget* parent)
    : QWidget(parent, Qt::Window),
      m_journal(journal),
      m_prompts(prompts),
      m_model(new JournalModel(FrameJournal::DefaultCapacity, this)),
      m_filter(new QSortFilterProxyModel(this)),
      m_view(new QTreeView(this)),
      m_filterText(new QLineEdit(this)),
      m_pause(Button(QStringLiteral("&Пауза"), "JournalPause", this)),
      m_timer(new QTimer(this)),
      m_saveDialog(std::make_unique<FileDialogSpec>())
{
    setObjectName(QStringLiteral("FJournal"));
    setWindowTitle(QStringLiteral("Журнал обмена"));
    setAccessibleName(windowTitle());
    resize(1000, 520);

    m_filter->setSourceModel(m_model);
    m_filter->setRecursiveFilteringEnabled(true);
    m_filter->setFilterKeyColumn(-1);
    m_filter->setFilterCaseSensitivity(Qt::CaseInsensitive);
    m_view->setObjectName(QStringLiteral("JournalList"));
    m_view->setAccessibleName(QStringLiteral("Кадры"));
    m_view->setModel(m_filter);
    m_view->setUniformRowHeights(true);
    m_view->setAllColumnsShowFocus(true);
    m_view->header()->setStretchLastSection(false);
    m_view->header()->setSectionResizeMode(JournalModel::Bytes, QHeaderView::Stretch);
    m_view->setColumnWidth(JournalModel::Time, 150);
    m_view->setColumnWidth(JournalModel::Direction, 110);
    m_view->setColumnWidth(JournalModel::Length, 60);
    m_view->setColumnWidth(JournalModel::Note, 220);

    m_filterText->setObjectName(QStringLiteral("JournalFilter"));
    m_filterText->setAccessibleName(QStringLiteral("Фильтр"));
    m_filterText->setPlaceholderText(m_filterText->accessibleName());
    m_filterText->setClearButtonEnabled(true);
    auto* filterLabel = new QLabel(QStringLiteral("&Фильтр:"), this);
    filterLabel->setBuddy(m_filterText);
    m_pause->setCheckable(true);
    QPushButton* clear = Button(QStringLiteral("&Очистить"), "JournalClear", this);
    QPushButton* save = Button(QStringLiteral("&Сохранить..."), "JournalSave", this);
    QPushButton* close = Button(UiText::CloseButton, "JournalClose", this);

    auto* bar = new QHBoxLayout;
    bar->addWidget(filterLabel);
    bar->addWidget(m_filterText, 1);
    bar->addWidget(m_pause);
    bar->addWidget(clear);
    bar->addWidget(save);
    bar->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_view, 1);
    setTabOrder(m_filterText, m_pause);
    setTabOrder(m_pause, clear);
    setTabOrder(clear, save);
    setTabOrder(save, close);
    setTabOrder(close, m_view);

    m_saveDialog->Title = QStringLiteral("Сохранить журнал обмена");
    m_saveDialog->Filters =
        QStringList{QStringLiteral("Текстовые файлы (*.txt)"), UiText::AllFilesFilter};
    m_saveDialog->DefaultSuffix = QStringLiteral("txt");
    m_saveDialog->ConfirmOverwrite = true;
    m_saveDialog->Save = true;

    m_timer->setInterval(RefreshMs);
    connect(m_timer, &QTimer::timeout, this, &TFJournal::Refresh);
    connect(m_filterText, &QLineEdit::textChanged, m_filter,
            &QSortFilterProxyModel::setFilterFixedString);
    // Commands open, each on one spanned line; the newest row stays in
    // sight unless the user scrolled away from the end.
    auto showGroups = [this](const QModelIndex& parent, int first, int last) {
        if (parent.isValid())
            return;
        for (int row = first; row <= last; ++row) {
            m_view->setFirstColumnSpanned(row, {}, true);
            m_view->expandRecursively(m_filter->index(row, 0));
        }
    };
    connect(m_filter, &QAbstractItemModel::rowsInserted, this, showGroups);
    connect(m_filter, &QAbstractItemModel::layoutChanged, this,
            [this, showGroups] { showGroups({}, 0, m_filter->rowCount() - 1); });
    connect(m_filter, &QAbstractItemModel::modelReset, this,
            [this, showGroups] { showGroups({}, 0, m_filter->rowCount() - 1); });
    connect(m_pause, &QPushButton::toggled, this, &TFJournal::SetPaused);
    connect(clear, &QPushButton::clicked, this, &TFJournal::Clear);
    connect(save, &QPushButton::clicked, this, &TFJournal::Save);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
}

TFJournal::~TFJournal() = default;

void TFJournal::Refresh()
{
    QScrollBar* bar = m_view->verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
    m_model->TakeChanges(m_journal);
    // After the view has laid the new rows out.
    if (atEnd)
        QMetaObject::invokeMethod(m_view, &QTreeView::scrollToBottom, Qt::QueuedConnection);
}

void TFJournal::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_pause->isChecked()) {
        Refresh();
        m_timer->start();
    }
}

void TFJournal::hideEvent(QHideEvent* event)
{
    m_timer->stop();
    QWidget::hideEvent(event);
}

void TFJournal::SetPaused(bool paused)
{
    if (paused) {
        m_timer->stop();
    } else if (isVisible()) {
        Refresh();
        m_timer->start();
    }
}

void TFJournal::Clear()
{
    m_journal.Clear();
    m_model->Reset();
}

void TFJournal::Save()
{
    const QString path = m_prompts.FileName(this, *m_saveDialog);
    if (path.isEmpty())
        return;
    m_saveDialog->FileName = path;
    try {
        WriteConfigFile(path, m_journal.TraceText().toUtf8());
    } catch (const CommandError& e) {
        m_prompts.Message(this, UiText::AppTitle, ErrorBoxText(e.Message()), Prompts::Icon::Error,
                          e.Detail());
    }
}
