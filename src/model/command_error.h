#pragma once

#include <QString>

#include <exception>
#include <string>

// The error that ends a failing command. The application shows `Message`
// in its error box; `Detail`, when present, is a second paragraph telling
// the user why and what to do.
class CommandError : public std::exception {
public:
    explicit CommandError(QString message, QString detail = {}, bool lineLost = false);
    const QString& Message() const { return m_message; }
    const QString& Detail() const { return m_detail; }
    // True when the command failed because its line did (the adapter was
    // pulled, the connection dropped); Detail() gives the system's reason.
    bool LineLost() const { return m_lineLost; }
    const char* what() const noexcept override { return m_utf8.c_str(); }

private:
    QString m_message;
    QString m_detail;
    bool m_lineLost = false;
    std::string m_utf8;
};

// A message as the error box shows it: "." appended when its last character
// has a greater code than "." (so a message ending in a blank gets none).
QString ErrorBoxText(const QString& message);

// Ends a command silently (a declined import): nothing is shown.
class CommandAbort : public std::exception {
public:
    const char* what() const noexcept override { return "command aborted"; }
};

// Converts a whole decimal number (optional leading blanks and sign).
// Anything else fails with "'<text>' is not a valid integer value".
int StrToInt(const QString& text);
