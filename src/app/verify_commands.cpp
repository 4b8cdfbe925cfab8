// "Сверить с панелью": what a panel holds against the configuration in the
// window, field by field. The panel is read as a read reads it, into a copy
// of the image; the image itself changes only when the user takes the
// panel's from the dialog of differences.
#include "app/application.h"
#include "app/diff_dialog.h"
#include "app/tfmain.h"
#include "app/tfmbparam.h"
#include "app/ui_texts.h"
#include "link/link_texts.h"
#include "link/pause.h"
#include "model/command_error.h"
#include "pages/dev_config_page.h"
#include "pages/external_net_page.h"
#include "pages/inputs_page.h"
#include "pages/mbus_settings_page.h"
#include "pages/outputs_page.h"
#include "pages/signalling_page.h"
#include "pages/structure_page.h"
#include "text/config_fields.h"
#include "widgets/vertical_pager.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScopeGuard>
#include <QWindow>

namespace {
// The read's pause before the version request and between its blocks.
constexpr unsigned long StepPauseMs = 20;
}  // namespace

void TFMain::VerifyWithPanel()
{
    if (!ReadAllowed)
        return;
    // What the pages hold is what is compared, as a write would send it.
    CollectPages();
    // Differences of an earlier comparison are not offered once a new one starts.
    if (m_diffDialog)
        m_diffDialog->hide();
    m_journal.BeginCommand(UiText::VerifyCommand);
    // The panel's blocks land in a copy of the image: blocks 7..9, which no
    // panel supplies, stay the window's and compare equal.
    ConfigImage panel = m_state.Image;
    const uint8_t address = uint8_t(StrToInt(EDeviceAddr->text()));
    int family = 0;
    QString device;
    {
        ReadAllowed = false;
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        const auto closing = qScopeGuard([this] {
            FMBParam->Disconnect();
            QGuiApplication::restoreOverrideCursor();
            QCoreApplication::processEvents();
            ReadAllowed = true;
        });
        QCoreApplication::processEvents();
        family = FMBParam->Connect(true);
        Pause(StepPauseMs);
        FMBParam->Link().ReadBlocks(address, panel);
        device = LinkText::DeviceOnPort(QString::number(address),
                                        FMBParam->ConnectedSettings().PortName);
    }

    // The port is closed by now: nothing waits on the line while the user
    // reads the outcome.
    const QList<FieldDifference> differences =
        DiffFields(panel, m_state.Image, 0, DeviceBlockCount - 1);
    if (differences.isEmpty()) {
        m_app.prompts().Message(this, UiText::AppTitle,
                                QStringLiteral("Панель совпадает с конфигурацией"),
                                Prompts::Icon::Information, device);
        return;
    }
    if (!m_diffDialog) {
        m_diffDialog = new TFDiff(this);
        connect(m_diffDialog, &TFDiff::goToField, this, [this](const FieldRow& row) {
            if (!ShowField(row))
                QApplication::beep();
        });
        connect(m_diffDialog, &TFDiff::takeFromPanel, this,
                [this] { RunCommand([this] { TakeFromPanel(); }); });
    }
    m_diffDialog->SetDifferences(differences, panel, family, device);
    // Not kept above the window: "Перейти" brings the window and the
    // field's control to the front, over the list.
    m_diffDialog->winId();
    if (QWindow* window = m_diffDialog->windowHandle())
        window->setTransientParent(nullptr);
    m_diffDialog->show();
    m_diffDialog->raise();
    m_diffDialog->activateWindow();
}

void TFMain::TakeFromPanel()
{
    // Not while a read or a comparison is filling its buffer.
    if (!ReadAllowed || !m_diffDialog)
        return;
    ShowPanelImage(m_diffDialog->PanelImage(), m_diffDialog->PanelFamily());
    m_diffDialog->close();
}

EditorPage* TFMain::PageOf(const FieldRow& row) const
{
    switch (row.Section) {
        case FieldSection::Device: return AdvOfficePage2;
        case FieldSection::Modbus: return AdvOfficePage3;
        case FieldSection::Inputs: return AdvOfficePage5;
        case FieldSection::Crossbar:
        case FieldSection::Activation: return AdvOfficePage7;
        case FieldSection::Outputs: return AdvOfficePage4;
        case FieldSection::Windows: return AdvOfficePage6;
        case FieldSection::Requests:
        case FieldSection::Acks:
        case FieldSection::Resets: return AdvOfficePage8;
    }
    return nullptr;
}

bool TFMain::ShowField(const FieldRow& row)
{
    EditorPage* page = PageOf(row);
    // A page whose tab the user never sees is not shown for a field either.
    if (!page || !AdvOfficePager->isTabVisible(AdvOfficePager->indexOf(page)))
        return false;
    // An edit in progress ends as Enter ends it before the focus moves.
    EndCellEdits();
    AdvOfficePager->setActivePage(page);
    if (!page->FocusField(row))
        return false;
    raise();
    activateWindow();
    return true;
}
