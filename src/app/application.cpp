#include "app/application.h"

#include "app/prompts.h"
#include "app/tfmain.h"
#include "app/ui_texts.h"
#include "model/command_error.h"

bool PlatformSupportsSerialIo()
{
#if defined(Q_OS_LINUX) || defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    return true;
#else
    return false;
#endif
}

TApplication::TApplication(Prompts& prompts) : Title(UiText::AppTitle), m_prompts(prompts) {}

TApplication::~TApplication() = default;

void TApplication::CreateForms()
{
    m_main = std::make_unique<TFMain>(*this);
    m_main->CreatePortPanel();
}

void TApplication::ShowError(const QString& message, const QString& detail)
{
    m_prompts.Message(m_main.get(), Title, ErrorBoxText(message), Prompts::Icon::Error, detail);
}

bool TApplication::RunCommand(const std::function<void()>& command)
{
    try {
        command();
        return true;
    } catch (const CommandAbort&) {
    } catch (const CommandError& e) {
        ShowError(e.Message(), e.Detail());
    } catch (const std::exception& e) {
        ShowError(QString::fromLocal8Bit(e.what()));
    }
    return false;
}
