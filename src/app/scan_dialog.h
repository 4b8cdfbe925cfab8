#pragma once

#include "app/prompts.h"
#include "link/panel_scan.h"

#include <QDialog>
#include <QList>

class FrameJournal;
class QCheckBox;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableWidget;
class ScanWorker;

// "Поиск панелей": who answers on the port over a range of addresses, at
// the port's line settings or at every one, listed as it is found; a panel
// chosen from the list is handed to the caller. The scan runs on a worker
// thread with its own channel, by PanelScan's rules (those of orlix-cli
// scan). Window-modal, so that no other device command starts meanwhile;
// closing it stops the scan and waits for it.
class TFScan : public QDialog {
    Q_OBJECT
public:
    // The dialog's title, and the journal's name for its frames.
    static inline const QString Title = QStringLiteral("Поиск панелей");

    // Scans `port` (its device and line settings); frames go to `journal`
    // when there is one, which must outlive the dialog.
    TFScan(QWidget* parent, Prompts& prompts, const LinkSettings& port, FrameJournal* journal);
    ~TFScan() override;

    // True while the scan's thread runs.
    bool IsScanning() const;

    // Starts a scan over the chosen range (the list starts empty).
    void Search();
    // Ends the scan before its next address.
    void StopScan();
    // Hands the current row's panel to the caller and closes.
    void Choose();
    // Saves the list as a CSV file the user names.
    void SaveList();

    QSpinBox* FirstAddress;
    QSpinBox* LastAddress;
    QCheckBox* EveryLineSetting;
    QPushButton* SearchButton;
    QProgressBar* Progress;
    QTableWidget* List;
    QPushButton* StopButton;
    QPushButton* ChooseButton;
    QPushButton* SaveButton;
    QPushButton* CloseButton;

signals:
    // A panel was chosen: its address and the line settings it answered at.
    void Chosen(uint8_t address, const SerialSettings& line);

public slots:
    // Stops a running scan (and waits for it) before closing.
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowTrying(int done, int total, uint8_t address, const SerialSettings& line, int setting,
                    int settings);
    void AddHit(const ScanHit& hit);
    void ShowFailure(const QString& message, const QString& detail);
    void ShowFinished(bool stopped);
    void ShowProgressText(const QString& text);
    // Enables what fits the moment: scanning or not, the current row.
    void UpdateControls();
    bool CurrentIsPanel() const;

    Prompts& m_prompts;
    const LinkSettings m_port;
    ScanWorker* m_worker;
    QList<ScanHit> m_hits;
    bool m_scanning = false;  // from Search until the worker's Finished arrives
    bool m_failed = false;    // the scan ended with a message
    FileDialogSpec m_saveDialog;
};
