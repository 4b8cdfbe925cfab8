#include "widgets/pager_tab_accessible.h"

#include "widgets/accessible_factory.h"
#include "widgets/pager_tab_bar.h"

#include <QAccessibleActionInterface>
#include <QWidget>
#include <QWindow>

namespace {

// One tab of the column.
class PagerTabAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    PagerTabAccessible(PagerTabBar* bar, int tab) : m_bar(bar), m_tab(tab) {}

    void* interface_cast(QAccessible::InterfaceType t) override
    {
        return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                 : nullptr;
    }
    bool isValid() const override { return m_bar && m_tab < m_bar->count(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_bar ? m_bar->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override
    {
        return m_bar ? QAccessible::queryAccessibleInterface(m_bar) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::PageTab; }
    QString text(QAccessible::Text t) const override
    {
        return isValid() && t == QAccessible::Name ? m_bar->caption(m_tab) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect r = m_bar->tabRect(m_tab);
        return QRect(m_bar->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        s.selectable = true;
        s.focusable = true;
        const bool current = m_bar->currentIndex() == m_tab;
        s.selected = current;
        s.focused = current && m_bar->hasFocus();
        s.invisible = !m_bar->isTabVisible(m_tab) || !m_bar->isVisible();
        s.disabled = !m_bar->isEnabled();
        return s;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override
    {
        if (isValid() && name == pressAction())
            m_bar->activateTab(m_tab);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<PagerTabBar> m_bar;
    int m_tab;
};

QAccessibleInterface* Factory(const QString& className, QObject* object)
{
    if (className == QLatin1String("PagerTabBar") && object && object->isWidgetType())
        return new PagerTabBarAccessible(static_cast<PagerTabBar*>(object));
    return nullptr;
}

}  // namespace

PagerTabBarAccessible::PagerTabBarAccessible(PagerTabBar* bar)
    : QAccessibleWidget(bar, QAccessible::PageTabList)
{
}

PagerTabBarAccessible::~PagerTabBarAccessible()
{
    for (QAccessible::Id id : std::as_const(m_tabs))
        QAccessible::deleteAccessibleInterface(id);
}

void PagerTabBarAccessible::Install()
{
    InstallAccessibleFactoryOnce(Factory);
}

PagerTabBar* PagerTabBarAccessible::bar() const
{
    return static_cast<PagerTabBar*>(object());
}

int PagerTabBarAccessible::childCount() const
{
    int n = 0;
    for (int tab = 0; tab < bar()->count(); ++tab)
        n += bar()->isTabVisible(tab) ? 1 : 0;
    return n;
}

int PagerTabBarAccessible::tabOfChild(int child) const
{
    for (int tab = 0; tab < bar()->count(); ++tab) {
        if (bar()->isTabVisible(tab) && child-- == 0)
            return tab;
    }
    return -1;
}

int PagerTabBarAccessible::childOfTab(int tab) const
{
    if (tab < 0 || tab >= bar()->count() || !bar()->isTabVisible(tab))
        return -1;
    int child = 0;
    for (int t = 0; t < tab; ++t)
        child += bar()->isTabVisible(t) ? 1 : 0;
    return child;
}

QAccessibleInterface* PagerTabBarAccessible::tabInterface(int tab) const
{
    if (tab < 0 || tab >= bar()->count())
        return nullptr;
    if (const auto it = m_tabs.constFind(tab); it != m_tabs.constEnd())
        return QAccessible::accessibleInterface(*it);
    auto* iface = new PagerTabAccessible(bar(), tab);
    m_tabs.insert(tab, QAccessible::registerAccessibleInterface(iface));
    return iface;
}

QAccessibleInterface* PagerTabBarAccessible::child(int index) const
{
    return tabInterface(tabOfChild(index));
}

int PagerTabBarAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    for (auto it = m_tabs.constBegin(); it != m_tabs.constEnd(); ++it) {
        if (QAccessible::accessibleInterface(it.value()) == child)
            return childOfTab(it.key());
    }
    return -1;
}

QAccessibleInterface* PagerTabBarAccessible::focusChild() const
{
    return bar()->hasFocus() ? tabInterface(bar()->currentIndex()) : nullptr;
}

QAccessibleInterface* PagerTabBarAccessible::childAt(int x, int y) const
{
    return tabInterface(bar()->tabAt(bar()->mapFromGlobal(QPoint(x, y))));
}
