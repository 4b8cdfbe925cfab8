#pragma once

#include <QWidget>

#include <memory>

class FrameJournal;
class JournalModel;
class Prompts;
class QLineEdit;
class QPushButton;
class QSortFilterProxyModel;
class QTimer;
class QTreeView;
struct FileDialogSpec;

// "Журнал обмена": a window beside the main window listing the frames of
// the window's commands as they pass, grouped by command. While it is
// hidden or paused it takes nothing from the journal.
class TFJournal : public QWidget {
    Q_OBJECT
public:
    // How often an open journal takes new frames (ms).
    static constexpr int RefreshMs = 200;

    TFJournal(FrameJournal& journal, Prompts& prompts, QWidget* parent = nullptr);
    ~TFJournal() override;

    // Takes what the journal recorded since the last look, now.
    void Refresh();
    JournalModel& Model() { return *m_model; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void Save();
    void Clear();
    void SetPaused(bool paused);

    FrameJournal& m_journal;
    Prompts& m_prompts;
    JournalModel* m_model;
    QSortFilterProxyModel* m_filter;
    QTreeView* m_view;
    QLineEdit* m_filterText;
    QPushButton* m_pause;
    QTimer* m_timer;
    std::unique_ptr<FileDialogSpec> m_saveDialog;
};
