#pragma once

#include <QIcon>
#include <QRect>
#include <QString>
#include <QWidget>

class PagerTabBar;
class QStackedWidget;

// A paged control with its tabs in a column on the left: each tab is 85
// pixels high with the page's icon above its caption. Pages whose tab is
// hidden stay reachable from code (setActivePage) but not for the user.
class VerticalPager : public QWidget {
    Q_OBJECT
public:
    explicit VerticalPager(QWidget* parent = nullptr);
    ~VerticalPager() override;

    // Adds a page with its tab at the end; the page keeps its objectName.
    // The first page added becomes the active one. Returns the page's index.
    int addPage(QWidget* page, const QString& caption, const QIcon& icon);

    void setTabVisible(int index, bool visible);
    bool isTabVisible(int index) const;

    // Shows the page, also one whose tab is hidden; a page that is not in
    // the pager is ignored.
    void setActivePage(QWidget* page);
    QWidget* activePage() const;
    int activeIndex() const;

    int count() const;
    QWidget* page(int index) const;
    int indexOf(QWidget* page) const;
    QString caption(int index) const;

    // Turns the smoothing of the tabs' shapes, pictures and captions on or off.
    void setTabsAntialiased(bool on);
    bool tabsAntialiased() const;

    // The tab column, and a tab's area in its coordinates (empty when hidden).
    QWidget* tabBar() const;
    QRect tabRect(int index) const;

signals:
    // The shown page changed, by a click on a tab or from code.
    void activePageChanged(int index);

private:
    void setActiveIndex(int index);
    void pageRemoved(int index);

    PagerTabBar* m_tabs;
    QStackedWidget* m_stack;
};
