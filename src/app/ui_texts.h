#pragma once

#include "widgets/control_factory.h"

#include <QFont>
#include <QString>

// The texts of the main window that more than one place uses.
namespace UiText {
inline const QString AppTitle = QStringLiteral("Orlix Configuration tool");
inline const QString VersionStatus = QStringLiteral(" ver 1.70");
inline const QString TitleSuffix = QStringLiteral("] - Orlix Configuration tool");
inline const QString NewTitle = QStringLiteral("[New] - Orlix Configuration tool");
inline const QString ReadedTitle = QStringLiteral("[Readed] - Orlix Configuration tool");
inline const QString ImportTitle = QStringLiteral("[Import] - Orlix Configuration tool");
inline const QString CloseQuestion = QStringLiteral("Завершить работу программы?");
inline const QString PlatformWarning = QStringLiteral(
    "Поддерживаются только Windows NT4.0/2000/XP/Vista/7 - \nфункциональность ограничена");

// The forms' font (Tahoma 8 point).
inline QFont FormFont()
{
    return ::FormFont();
}

// "[" + name + "] - Orlix Configuration tool"
inline QString FileTitle(const QString& fileName)
{
    return QStringLiteral("[") + fileName + TitleSuffix;
}
}  // namespace UiText
