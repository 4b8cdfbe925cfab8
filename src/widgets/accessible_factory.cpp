#include "widgets/accessible_factory.h"

#include <QSet>

void InstallAccessibleFactoryOnce(QAccessible::InterfaceFactory factory)
{
    static QSet<QAccessible::InterfaceFactory> installed;
    if (installed.contains(factory))
        return;
    installed.insert(factory);
    QAccessible::installFactory(factory);
}
