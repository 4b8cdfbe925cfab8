#include "widgets/vertical_pager.h"

#include "widgets/pager_tab_bar.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QStackedWidget>

VerticalPager::VerticalPager(QWidget* parent)
    : QWidget(parent), m_tabs(new PagerTabBar(this)), m_stack(new QStackedWidget(this))
{
    m_tabs->setObjectName(QStringLiteral("PageColumn"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_tabs);
    layout->addWidget(m_stack, 1);

    connect(m_tabs, &PagerTabBar::tabActivated, this, &VerticalPager::setActiveIndex);
    connect(m_stack, &QStackedWidget::widgetRemoved, this, &VerticalPager::pageRemoved);
}

VerticalPager::~VerticalPager()
{
    // The pages are deleted with the stack after this part of the pager is
    // gone: stop listening to the stack first.
    disconnect(m_stack, nullptr, this, nullptr);
}

int VerticalPager::addPage(QWidget* page, const QString& caption, const QIcon& icon)
{
    if (page == nullptr)
        return -1;
    const int existing = m_stack->indexOf(page);
    if (existing >= 0)
        return existing;
    // QStackedWidget makes its first page current by itself; keep the tab
    // column in step and announce it.
    const int index = m_stack->addWidget(page);
    m_tabs->addTab(caption, icon);
    if (m_stack->count() == 1) {
        m_tabs->setCurrentIndex(index);
        emit activePageChanged(index);
    }
    return index;
}

void VerticalPager::setTabVisible(int index, bool visible)
{
    m_tabs->setTabVisible(index, visible);
}

bool VerticalPager::isTabVisible(int index) const
{
    return m_tabs->isTabVisible(index);
}

void VerticalPager::setActivePage(QWidget* page)
{
    const int index = m_stack->indexOf(page);
    if (index >= 0)
        setActiveIndex(index);
}

QWidget* VerticalPager::activePage() const
{
    return m_stack->currentWidget();
}

int VerticalPager::activeIndex() const
{
    return m_stack->currentIndex();
}

int VerticalPager::count() const
{
    return m_stack->count();
}

QWidget* VerticalPager::page(int index) const
{
    return m_stack->widget(index);
}

int VerticalPager::indexOf(QWidget* page) const
{
    return m_stack->indexOf(page);
}

QString VerticalPager::caption(int index) const
{
    return m_tabs->caption(index);
}

void VerticalPager::setTabsAntialiased(bool on)
{
    m_tabs->setAntialiased(on);
}

bool VerticalPager::tabsAntialiased() const
{
    return m_tabs->antialiased();
}

QWidget* VerticalPager::tabBar() const
{
    return m_tabs;
}

QRect VerticalPager::tabRect(int index) const
{
    return m_tabs->tabRect(index);
}

void VerticalPager::setActiveIndex(int index)
{
    if (index < 0 || index >= count() || index == activeIndex())
        return;
    // The focus on a control of the page that goes away moves to the page
    // column, from where Tab enters the new page at its first control.
    const QWidget* focus = QApplication::focusWidget();
    const bool focusOnPage = focus && m_stack->isAncestorOf(focus);
    m_stack->setCurrentIndex(index);
    m_tabs->setCurrentIndex(index);
    if (focusOnPage)
        m_tabs->setFocus(Qt::OtherFocusReason);
    emit activePageChanged(index);
}

void VerticalPager::pageRemoved(int index)
{
    // A page deleted by its owner leaves the stack by itself; its tab goes too.
    m_tabs->removeTab(index);
    m_tabs->setCurrentIndex(m_stack->currentIndex());
    emit activePageChanged(m_stack->currentIndex());
}
