#include "widgets/bevel_panel_accessible.h"

#include "widgets/accessible_factory.h"
#include "widgets/bevel_panel.h"

namespace {
QAccessibleInterface* Factory(const QString& className, QObject* object)
{
    if (className == QLatin1String("BevelPanel") && object && object->isWidgetType())
        return new BevelPanelAccessible(static_cast<BevelPanel*>(object));
    return nullptr;
}
}  // namespace

BevelPanelAccessible::BevelPanelAccessible(BevelPanel* panel)
    : QAccessibleWidget(panel, QAccessible::Button)
{
}

void BevelPanelAccessible::Install()
{
    InstallAccessibleFactoryOnce(Factory);
}

BevelPanel* BevelPanelAccessible::panel() const
{
    return static_cast<BevelPanel*>(object());
}

QStringList BevelPanelAccessible::actionNames() const
{
    return QStringList{pressAction(), showMenuAction()} + QAccessibleWidget::actionNames();
}

void BevelPanelAccessible::doAction(const QString& actionName)
{
    if (actionName == pressAction())
        panel()->press();
    else if (actionName == showMenuAction())
        panel()->requestMenu();
    else
        QAccessibleWidget::doAction(actionName);
}
