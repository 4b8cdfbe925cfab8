#pragma once

#include <QString>

#include <functional>
#include <memory>

class Prompts;
class TFMain;
class CommandError;

// Whether this platform supports the tool's serial I/O.
bool PlatformSupportsSerialIo();

// The application object: its title (the error box caption, changed
// together with the window title), the prompts, and the two windows that
// live for the whole run.
class TApplication {
public:
    explicit TApplication(Prompts& prompts);
    ~TApplication();
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    QString Title;
    Prompts& prompts() { return m_prompts; }

    // Asked by the main window when it is first shown; replaceable in tests.
    std::function<bool()> PlatformSupported = PlatformSupportsSerialIo;

    // Creates the main window (which runs its FormCreate) and the port
    // settings panel, in that order. The main window is not shown yet.
    void CreateForms();
    TFMain* FMain() const { return m_main.get(); }

    // The error box: caption = the application title, error icon, one OK
    // button; "." appended when the last character sorts after ".".
    void ShowError(const QString& message, const QString& detail = {});

    // Runs a command; an error it raises is shown, an abort is silent.
    // Returns true when the command ended normally.
    bool RunCommand(const std::function<void()>& command);

private:
    Prompts& m_prompts;
    std::unique_ptr<TFMain> m_main;
};

// ErrorBoxText, the text of the error box for a message, is the model's:
// the command-line front end words its messages the same way.
#include "model/command_error.h"
