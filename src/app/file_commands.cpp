// Open, Save and Save as of the main window.
#include "app/application.h"
#include "app/tfmain.h"
#include "app/ui_texts.h"
#include "files/config_file.h"
#include "model/block_crc.h"

#include <QDateTime>
#include <QFileInfo>

namespace {
const QString ImportQuestion = QStringLiteral("  Импортировать файл версии 1.60?     ");
}

void TFMain::SBLoadFileClick()
{
    const QString path = m_app.prompts().FileName(this, OpenDialog);
    if (path.isEmpty())
        return;
    LoadFile(path);
}

void TFMain::LoadFile(const QString& path)
{
    OpenDialog.FileName = path;

    // Every check runs on the file's own copy; nothing of the window changes
    // unless the whole file passed.
    const LoadedConfig loaded = LoadConfigFile(path, [this] {
        return m_app.prompts().Question(this, UiText::AppTitle, ImportQuestion,
                                        Prompts::Icon::Question, true);
    });

    ShowConfigPage();
    ReplaceImage(loaded.Image, loaded.FamilyCode);
    if (loaded.IsImport) {
        m_state.HasFileName = false;
        SetTitles(UiText::ImportTitle);
    } else {
        const QFileInfo info(path);
        m_state.CurrentFileName = info.absoluteFilePath();
        m_state.HasFileName = true;
        SetTitles(UiText::FileTitle(info.fileName()));
    }
    ShowStatus(UiText::VersionStatus);
}

void TFMain::SBSaveFileClick()
{
    SBSaveAsFileClick(!m_state.HasFileName);
}

void TFMain::SBSaveAsFileClick(bool withDialog)
{
    if (withDialog) {
        const QString path = m_app.prompts().FileName(this, SaveDialog);
        if (path.isEmpty())
            return;
        SaveDialog.FileName = path;
    } else {
        SaveDialog.FileName = m_state.CurrentFileName;
    }
    const QString path = SaveDialog.FileName;
    const QDateTime savedAt = QDateTime::currentDateTime();

    CollectPages();
    StampBlockCrcs(m_state.Image);
    WriteConfigFile(path, EncodeConfigFile(m_state.Image, m_state.FamilyCode, savedAt));

    const QFileInfo info(path);
    m_state.CurrentFileName = info.absoluteFilePath();
    m_state.HasFileName = true;
    SetTitles(UiText::FileTitle(info.fileName()));
}
