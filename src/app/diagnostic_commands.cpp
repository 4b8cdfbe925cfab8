// The diagnostic commands of the main window: the scan and the traffic
// journal.
#include "app/application.h"
#include "app/journal_window.h"
#include "app/scan_dialog.h"
#include "app/tfmain.h"
#include "app/tfmbparam.h"

#include <QLineEdit>

void TFMain::ShowJournal()
{
    if (!m_journalWindow)
        m_journalWindow = std::make_unique<TFJournal>(m_journal, m_app.prompts(), this);
    m_journalWindow->show();
    m_journalWindow->raise();
    m_journalWindow->activateWindow();
}

void TFMain::ShowScan()
{
    auto* dialog = new TFScan(this, m_app.prompts(), FMBParam->Settings(), &m_journal);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &TFScan::Chosen, this, [this](uint8_t address, const SerialSettings& line) {
        EDeviceAddr->setText(QString::number(address));
        FMBParam->ShowLine(line);
    });
    dialog->open();
}
