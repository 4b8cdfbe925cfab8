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
// The open command, on its tool button and as its dialog's title.
inline const QString Open = QStringLiteral("Открыть");
// The port settings panel, as its tool button and the panel itself are named.
inline const QString ConnectionSettings = QStringLiteral("Параметры связи");
// The file dialogs' last filter.
inline const QString AllFilesFilter = QStringLiteral("Все файлы (*.*)");
// The configuration in memory, as its page and the comparison with a panel name it.
inline const QString Configuration = QStringLiteral("Конфигурация");

// The device commands as the traffic journal groups their frames.
inline const QString ReadCommand = QStringLiteral("Считать");
inline const QString WriteCommand = QStringLiteral("Записать");
inline const QString ApplyCommand = QStringLiteral("Применить");
inline const QString InfoCommand = QStringLiteral("Инфо");
inline const QString VerifyCommand = QStringLiteral("Сверить с панелью");

// The button that closes a dialog or a tool window.
inline const QString CloseButton = QStringLiteral("&Закрыть");

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
