#include "app/tfmain.h"

#include "app/application.h"
#include "app/journal_window.h"
#include "app/scan_dialog.h"
#include "app/tfmbparam.h"
#include "app/ui_texts.h"
#include "link/port_registry.h"
#include "model/address_rule.h"
#include "pages/dev_config_page.h"
#include "pages/mbus_settings_page.h"
#include "widgets/focus_return.h"
#include "widgets/popup_menu.h"
#include "widgets/string_grid.h"
#include "widgets/vertical_pager.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <QToolButton>

#include <functional>

namespace {
// Routes the key presses of an address field through the window's rule.
class AddressKeyFilter : public QObject {
public:
    AddressKeyFilter(QLineEdit* field, std::function<bool(QChar)> accepted)
        : QObject(field), m_field(field), m_accepted(std::move(accepted))
    {
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != m_field || event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        // Navigation keys and shortcuts (copy, paste, select all) carry no
        // typed character and pass; typed characters go through the rule.
        if (key->text().isEmpty() ||
            (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
            return false;
        const QChar c = key->text().front();
        if (c.category() == QChar::Other_Control && c != QChar(8))
            return false;
        return !m_accepted(c);
    }

private:
    QLineEdit* m_field;
    std::function<bool(QChar)> m_accepted;
};
}  // namespace

TFMain::TFMain(TApplication& app) : m_app(app)
{
    setObjectName(QStringLiteral("FMain"));
    setFont(UiText::FormFont());
    setWindowTitle(m_app.Title);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("ClientArea"));
    setCentralWidget(central);
    Modbus.SetStatusSink([this](const QString& text) { ShowLinkStatus(text); });
    Modbus.SetAlertSink([] { QApplication::beep(); });
    Modbus.SetTraceSink([this](TraceKind kind, const uint8_t* data, int count) {
        m_journal.Record(kind, data, count);
    });
    BuildToolBar(central);
    BuildPages();
    BuildMenu();
    BuildStatusBar();
    WireCommands();
    InstallShortcuts();

    OpenDialog.Title = UiText::Open;
    SaveDialog.Title = QStringLiteral("Сохранить как");
    for (FileDialogSpec* d : {&OpenDialog, &SaveDialog}) {
        d->Filters = {QStringLiteral("Файлы конфигурации (*.cfg)"), UiText::AllFilesFilter};
        d->DefaultSuffix = QStringLiteral("cfg");
    }
    SaveDialog.Save = true;
    SaveDialog.ConfirmOverwrite = true;

    FormCreate();
}

TFMain::~TFMain()
{
    // Hide while the window is still whole: an edit in progress on a page
    // ends with the focus it loses and reaches the image now, not from the
    // base class's destructor.
    hide();
    // A scan's dialog stops its thread, which feeds the journal, first.
    qDeleteAll(findChildren<TFScan*>());
    FormDestroy();
}

void TFMain::FormCreate()
{
    m_registry = std::make_unique<PortRegistry>();
    for (EditorPage* page : Pages())
        page->Setup();
    ShowConfigPage();
    NewConfiguration(false);
    ShowStatus(UiText::VersionStatus);
    AdvOfficePage2->FillTimeoutList();
}

void TFMain::FormDestroy()
{
    FMBParam.reset();
    m_registry.reset();
}

void TFMain::CreatePortPanel()
{
    FMBParam = std::make_unique<TFMBParam>(*this, *m_registry);
}

void TFMain::ShowLinkStatus(const QString& text)
{
    L4->setText(text);
}

void TFMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    // The warning comes up together with the window, once it is on screen.
    QTimer::singleShot(0, this, [this] { FormShow(); });
}

void TFMain::FormShow()
{
    if (m_app.PlatformSupported())
        return;
    m_app.prompts().Message(this, UiText::AppTitle, UiText::PlatformWarning,
                            Prompts::Icon::Warning);
    AdvOfficePager->setTabsAntialiased(false);
    for (QToolButton* b : {SBReadConfig, SBWriteConfig, SBApplyConfig})
        b->setEnabled(false);
    for (QAction* a : {MIRead, MIWrite, MIApply, MIVerify, N20, MIScan})
        a->setEnabled(false);
}

bool TFMain::FormCloseQuery()
{
    return m_app.prompts().Question(this, UiText::AppTitle, UiText::CloseQuestion,
                                    Prompts::Icon::Warning, false);
}

void TFMain::closeEvent(QCloseEvent* event)
{
    EndCellEdits();
    if (m_exitWithoutQuestion || FormCloseQuery())
        event->accept();
    else
        event->ignore();
}

void TFMain::N7Click()
{
    m_exitWithoutQuestion = true;
    close();
}

void TFMain::EndCellEdits()
{
    for (StringGrid* grid : findChildren<StringGrid*>())
        grid->endEdit();
}

bool TFMain::RunCommand(const std::function<void()>& command)
{
    EndCellEdits();
    // A box the command shows, or a menu it came from, takes the focus.
    FocusReturn focus;
    focus.Remember(this);
    const bool done = m_app.RunCommand(command);
    focus.GiveBack();
    return done;
}

void TFMain::ShowStatus(const QString& text)
{
    StatusBar->setText(text);
    // A message other than the version is said at once.
    if (text != UiText::VersionStatus) {
        QAccessibleEvent alert(StatusBar, QAccessible::Alert);
        QAccessible::updateAccessibility(&alert);
    }
}

void TFMain::ShowVersionStatus()
{
    ShowStatus(UiText::VersionStatus);
}

QString TFMain::StatusText() const
{
    return StatusBar->text();
}

void TFMain::SetTitles(const QString& title)
{
    setWindowTitle(title);
    m_app.Title = title;
}

void TFMain::ShowConfigPage()
{
    AdvOfficePager->setActivePage(AdvOfficePage2);
}

void TFMain::InstallAddressHandlers(QLineEdit* field)
{
    field->installEventFilter(new AddressKeyFilter(
        field, [this, field](QChar key) { return EDeviceAddrKeyPress(field, key); }));
    connect(field, &QLineEdit::textChanged, this, [this, field] { EDeviceAddrChange(field); });
}

bool TFMain::EDeviceAddrKeyPress(QLineEdit*, QChar key)
{
    return AddressKeyAccepted(key);
}

void TFMain::EDeviceAddrChange(QLineEdit* sender)
{
    if (const auto replacement = ClampedAddressText(sender->text()))
        sender->setText(*replacement);
}

void TFMain::SBShowPopup(QAbstractButton* button)
{
    QMenu* menu = PopupMenuOf(button);
    if (!menu)
        return;
    menu->popup(PopupPositionBelow(button));
}

void TFMain::SBNewConfigClick()
{
    NewConfiguration(true);
}

void TFMain::NewConfiguration(bool fromUser)
{
    for (EditorPage* page : NewOrder())
        page->Default();
    if (fromUser)
        SetTitles(UiText::NewTitle);
    ShowConfigPage();
    ShowStatus(UiText::VersionStatus);
    m_state.HasFileName = false;
}

void TFMain::ReplaceImage(const ConfigImage& image, int32_t familyCode)
{
    // The family first: the refreshes of the model and the window layout read it.
    m_state.FamilyCode = familyCode;
    m_state.Image = image;
    for (EditorPage* page : RefreshOrder())
        page->Get();
}

void TFMain::CollectPages()
{
    for (EditorPage* page : Pages())
        page->Set();
}
