#pragma once

#include "app/prompts.h"
#include "link/frame_journal.h"
#include "link/modbus.h"
#include "model/config_image.h"
#include "pages/page_host.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>

class QAction;
class QLabel;
class QLineEdit;
class QToolButton;
class PortRegistry;
class TApplication;
class TFDiff;
class TFJournal;
class TFMBParam;
class TDevConfigPage;
class TExternalNetPage;
class TInputsPage;
class TOutputsPage;
class TStructurePage;
class TMBusSettingsPage;
class TSignallingPage;
class EditorPage;
class VerticalPager;
struct FieldRow;

// The main window: it owns the configuration image with its companion
// fields, the pages and the commands.
class TFMain : public QMainWindow, public PageHost {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 692;
    static constexpr int ClientHeight = 482;

    explicit TFMain(TApplication& app);
    ~TFMain() override;

    // PageHost
    ConfigState& State() override { return m_state; }
    void ShowStatus(const QString& text) override;
    void ShowVersionStatus() override;
    void GetDispSettings() override;
    void GetInputType() override;
    void ShowCrossBarExtInputs() override;
    void InstallAddressHandlers(QLineEdit* field) override;
    void SBShowPopup(QAbstractButton* button) override;

    QString StatusText() const;
    // The low-level status texts of the channel and the device commands go
    // to L4 on the hidden tests page.
    void ShowLinkStatus(const QString& text);

    // The creation point of the port settings panel, right after the window.
    void CreatePortPanel();

    // Commands.
    void SBNewConfigClick();
    void SBLoadFileClick();
    // Open without the dialog: a file named on the command line or dropped
    // on the window goes through the same checks, question and titles.
    void LoadFile(const QString& path);
    // Opens a file from outside the tool; a failure shows its message and
    // leaves the configuration in memory as it was.
    void OpenFromOutside(const QString& path);
    void SBSaveFileClick();
    // With a dialog asks for the file name; without, saves to CurrentFileName.
    void SBSaveAsFileClick(bool withDialog = true);
    void SBMBusParametersClick();
    void ReadDataFromDevice();
    void WriteDataToDevice();
    void SBApplyConfigClick();
    // "Сверить с панелью": reads the panel's blocks 0..6 as a read does and
    // compares them field by field with the configuration in the window,
    // which it leaves as it is. Equal: a box says so; else the dialog of
    // differences, from which the panel's image may be taken as a read
    // would take it.
    void VerifyWithPanel();
    void N7Click();
    void N20Click();
    // "Журнал обмена": the traffic of the window's commands, in a window
    // of its own beside this one.
    void ShowJournal();
    // "Поиск панелей...": who answers on the port of the port settings
    // panel; a panel chosen there gives its address and line settings to
    // the address field and the port settings panel.
    void ShowScan();
    // The report of the configuration in memory: shown in the print
    // preview (printing, also to PDF, from there), or saved as HTML.
    void PrintReport();
    void SaveReport();

    // What the port settings panel needs of the window: the device address
    // as typed, and its button shown pressed while the panel is open.
    QString DeviceAddressText() const;
    void ShowPortPanelOpen(bool open);

    // Ends every open cell editor of the pages as Enter would (the page
    // validates and stores what it holds), so that a command that reads or
    // replaces the whole image works on what the user sees.
    void EndCellEdits();
    // Runs a command of the window: open cell editors end first; an error
    // the command raises is shown.
    bool RunCommand(const std::function<void()>& command);

    // The whole-image operations every page takes part in: an image shown
    // on every page, and the pages' settings collected into the image.
    void ReplaceImage(const ConfigImage& image, int32_t familyCode);
    void CollectPages();

    // Shows the page that holds the field and puts the keyboard focus on
    // its control or grid cell. False when no page shown to the user has
    // one for it (the page, where there is one, is shown all the same).
    bool ShowField(const FieldRow& row);

    // Whether a read, or a write, may start now: false while one of its
    // kind runs.
    static bool ReadMayStart() { return ReadAllowed; }
    static bool WriteMayStart() { return WriteAllowed; }

    // The serial channel, closed between device commands.
    TModbus& Channel() { return Modbus; }
    // The port settings panel, a window of its own.
    TFMBParam& PortPanel() { return *FMBParam; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // The window's life.
    void FormCreate();
    void FormShow();
    bool FormCloseQuery();
    void FormDestroy();

    // The rules of the address fields (EDeviceAddr and ENetAddress).
    // Returns false when the key is to be discarded.
    bool EDeviceAddrKeyPress(QLineEdit* sender, QChar key);
    void EDeviceAddrChange(QLineEdit* sender);

    void NewConfiguration(bool fromUser);
    // What a read does to the window with the panel's image: shown on
    // every page, the family taken, titled as read and bound to no file.
    void ShowPanelImage(const ConfigImage& image, int family);
    // "Взять из панели" in the dialog of differences.
    void TakeFromPanel();
    // The page of a field's section.
    EditorPage* PageOf(const FieldRow& row) const;
    void SetTitles(const QString& title);
    void ShowConfigPage();

    void BuildToolBar(QWidget* strip);
    void BuildMenu();
    // "Печать..." and "Отчёт..." with a separator before them, wired.
    void AddReportItems(QMenu* file);
    void BuildPages();
    void BuildStatusBar();
    void WireCommands();
    // The desktop's usual keys: file shortcuts and moving between pages.
    void InstallShortcuts();
    void StepPage(int step);
    // The pages in the order a new configuration fills them, and in the
    // order they show an image; every page, in the pager's order.
    QList<EditorPage*> NewOrder() const;
    QList<EditorPage*> RefreshOrder() const;
    QList<EditorPage*> Pages() const;
    void Bind(QAction* action, void (TFMain::*handler)());
    void Bind(QToolButton* button, void (TFMain::*handler)());

    // Controls.
    QToolButton* SBNewConfig;
    QToolButton* SBLoadFile;
    QToolButton* SBSaveFile;
    QToolButton* SBMBusParameters;
    QToolButton* SBReadConfig;
    QToolButton* SBWriteConfig;
    QToolButton* SBApplyConfig;
    QLabel* LDeviceAddr;
    QLineEdit* EDeviceAddr;
    VerticalPager* AdvOfficePager;
    QWidget* AdvOfficePage1;
    TDevConfigPage* AdvOfficePage2;
    TMBusSettingsPage* AdvOfficePage3;
    TOutputsPage* AdvOfficePage4;
    TInputsPage* AdvOfficePage5;
    TSignallingPage* AdvOfficePage6;
    TStructurePage* AdvOfficePage7;
    TExternalNetPage* AdvOfficePage8;
    QLabel* L4;
    QLabel* StatusBar;
    // Menu items.
    QAction* MIOpen;
    QAction* MISave;
    QAction* MISaveAs;
    QAction* MIPrint;
    QAction* MIReport;
    QAction* N7;
    QAction* MIRead;
    QAction* MIWrite;
    QAction* MIApply;
    QAction* MIVerify;
    QAction* MINew;
    QAction* MIConnection;
    QAction* N20;
    QAction* MIScan;
    QAction* MIJournal;

    // Every frame of the device commands (the channel's trace, so it
    // outlives the channel).
    FrameJournal m_journal;
    // The serial channel, closed between device commands.
    TModbus Modbus;
    // The port settings panel, created right after the window.
    std::unique_ptr<TFMBParam> FMBParam;
    // Its window, once opened.
    std::unique_ptr<TFJournal> m_journalWindow;
    // The differences of the last comparison with a panel, once there were
    // any; a child of the window.
    QPointer<TFDiff> m_diffDialog;
    // Keep a read or a write from starting again while one of its kind runs.
    static inline bool ReadAllowed = true;
    static inline bool WriteAllowed = true;

    // The file dialogs, created once and keeping their last file name.
    FileDialogSpec OpenDialog;
    FileDialogSpec SaveDialog;
    FileDialogSpec ReportDialog;

    TApplication& m_app;
    ConfigState m_state;
    // The reader of the system's port list, used by the port settings panel.
    std::unique_ptr<PortRegistry> m_registry;
    bool m_shownOnce = false;
    bool m_exitWithoutQuestion = false;
};
