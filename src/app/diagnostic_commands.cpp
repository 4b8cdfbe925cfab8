// The diagnostic commands of the main window: the traffic journal.
#include "app/application.h"
#include "app/journal_window.h"
#include "app/tfmain.h"

void TFMain::ShowJournal()
{
    if (!m_journalWindow)
        m_journalWindow = std::make_unique<TFJournal>(m_journal, m_app.prompts(), this);
    m_journalWindow->show();
    m_journalWindow->raise();
    m_journalWindow->activateWindow();
}
