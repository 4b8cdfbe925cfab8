#include "text/field_path.h"

#include <QRegularExpression>

QList<PathStep> PathSteps(const QString& path)
{
    static const QRegularExpression Part(QStringLiteral(R"(^([a-z_0-9]+)(?:\[(\d+)\])?$)"));
    QList<PathStep> steps;
    for (const QString& part : path.split(QLatin1Char('.'))) {
        const auto m = Part.match(part);
        steps << PathStep{m.captured(1), m.captured(2).isEmpty() ? 0 : m.captured(2).toInt()};
    }
    return steps;
}
