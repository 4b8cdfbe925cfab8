#pragma once

#include <QString>

// The site room's texts that more than one place gives.
namespace SiteText {
// A site file's member of the wrong shape, after its path.
inline const QString ObjectExpected = QStringLiteral("ожидается объект");
inline const QString NonEmptyListExpected = QStringLiteral("ожидается непустой массив");
}  // namespace SiteText
