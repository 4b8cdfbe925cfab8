#pragma once

#include <QAccessibleWidget>
#include <QHash>

class PagerTabBar;

// The page column as assistive technologies see it: a tab list whose
// children are its visible tabs, each named after its caption, telling
// whether it is the chosen one, and choosable through its press action.
class PagerTabBarAccessible : public QAccessibleWidget {
public:
    explicit PagerTabBarAccessible(PagerTabBar* bar);
    ~PagerTabBarAccessible() override;

    // Makes Qt use this interface for every PagerTabBar; safe to call often.
    static void Install();

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* focusChild() const override;
    QAccessibleInterface* childAt(int x, int y) const override;

    PagerTabBar* bar() const;
    // The tab of the bar that the n-th visible child stands for, and back.
    int tabOfChild(int child) const;
    int childOfTab(int tab) const;
    // The child interface of a tab (created on first use), or null.
    QAccessibleInterface* tabInterface(int tab) const;

private:
    mutable QHash<int, QAccessible::Id> m_tabs;
};
