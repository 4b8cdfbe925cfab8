#include "widgets/pager_tab_bar.h"

#include "widgets/pager_tab_accessible.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace {
// Colours of the column: a cool blue ground, warm highlights for the chosen
// and the hovered tab, dark blue captions.
const QColor ColumnLeft(227, 235, 245);
const QColor ColumnRight(203, 218, 237);
const QColor ColumnEdge(141, 164, 196);
const QColor SelectedTop(255, 240, 196);
const QColor SelectedBottom(255, 211, 112);
const QColor SelectedBorder(219, 165, 62);
const QColor HoverTop(255, 250, 228);
const QColor HoverBottom(255, 231, 168);
const QColor HoverBorder(232, 200, 128);
const QColor CaptionColour(21, 56, 110);
const QColor SeparatorColour(185, 202, 226);

constexpr int IconTop = 12;  // in a tab of full height; less in a shorter one
constexpr int MinIconTop = 3;
constexpr int CaptionGap = 4;
constexpr int SideMargin = 4;
constexpr int MinCaptionPointSize = 6;
constexpr int CaptionFlags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap;

// The largest font, not larger than `base`, in which `text` fits `box` with
// word wrapping.
QFont FittingFont(const QFont& base, const QString& text, const QRect& box, int flags)
{
    QFont font = base;
    for (;;) {
        const QRect needed = QFontMetrics(font).boundingRect(box, flags, text);
        if (needed.width() <= box.width() && needed.height() <= box.height())
            return font;
        const qreal size = font.pointSizeF();
        if (size <= 0 || size - 0.5 < MinCaptionPointSize)
            return font;
        font.setPointSizeF(size - 0.5);
    }
}
}  // namespace

PagerTabBar::PagerTabBar(QWidget* parent) : QWidget(parent)
{
    PagerTabBarAccessible::Install();
    setAccessibleName(QStringLiteral("Страницы"));
    setMouseTracking(true);
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
}

int PagerTabBar::addTab(const QString& caption, const QIcon& icon)
{
    m_tabs.append(Tab{caption, icon, true});
    updateGeometry();
    update();
    return count() - 1;
}

void PagerTabBar::removeTab(int index)
{
    if (!isValid(index))
        return;
    m_tabs.removeAt(index);
    if (m_current == index)
        m_current = -1;
    else if (m_current > index)
        --m_current;
    m_hover = -1;
    updateGeometry();
    update();
}

QString PagerTabBar::caption(int index) const
{
    return isValid(index) ? m_tabs[index].Caption : QString();
}

void PagerTabBar::setTabVisible(int index, bool visible)
{
    if (!isValid(index) || m_tabs[index].Visible == visible)
        return;
    m_tabs[index].Visible = visible;
    m_hover = -1;
    updateGeometry();
    update();
}

bool PagerTabBar::isTabVisible(int index) const
{
    return isValid(index) && m_tabs[index].Visible;
}

void PagerTabBar::setCurrentIndex(int index)
{
    if (!isValid(index))
        index = -1;
    if (m_current == index)
        return;
    m_current = index;
    update();
    // Screen readers hear of the new choice.
    if (QAccessible::isActive() && index >= 0) {
        if (auto* column = QAccessible::queryAccessibleInterface(this)) {
            auto* iface = static_cast<PagerTabBarAccessible*>(column);
            const int child = iface->childOfTab(index);
            if (child >= 0) {
                QAccessibleEvent selection(this, QAccessible::Selection);
                selection.setChild(child);
                QAccessible::updateAccessibility(&selection);
                if (hasFocus()) {
                    QAccessibleEvent focus(this, QAccessible::Focus);
                    focus.setChild(child);
                    QAccessible::updateAccessibility(&focus);
                }
            }
        }
    }
}

void PagerTabBar::activateTab(int index)
{
    if (isValid(index) && m_tabs[index].Visible)
        emit tabActivated(index);
}

void PagerTabBar::setAntialiased(bool on)
{
    if (m_antialiased == on)
        return;
    m_antialiased = on;
    update();
}

int PagerTabBar::visibleCount() const
{
    int n = 0;
    for (const Tab& tab : m_tabs)
        n += tab.Visible ? 1 : 0;
    return n;
}

int PagerTabBar::tabHeight() const
{
    const int visible = visibleCount();
    if (visible == 0)
        return TabHeight;
    return qBound(MinTabHeight, height() / visible, TabHeight);
}

QRect PagerTabBar::tabRect(int index) const
{
    if (!isTabVisible(index))
        return {};
    int row = 0;
    for (int i = 0; i < index; ++i)
        row += m_tabs[i].Visible ? 1 : 0;
    const int h = tabHeight();
    return QRect(0, row * h, width(), h);
}

int PagerTabBar::tabAt(const QPoint& pos) const
{
    for (int i = 0; i < count(); ++i) {
        if (tabRect(i).contains(pos))
            return i;
    }
    return -1;
}

QSize PagerTabBar::sizeHint() const
{
    return QSize(ColumnWidth, visibleCount() * TabHeight);
}

QSize PagerTabBar::minimumSizeHint() const
{
    return QSize(ColumnWidth, 0);
}

void PagerTabBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, m_antialiased);
    painter.setRenderHint(QPainter::TextAntialiasing, m_antialiased);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, m_antialiased);

    QLinearGradient ground(0, 0, width(), 0);
    ground.setColorAt(0, ColumnLeft);
    ground.setColorAt(1, ColumnRight);
    painter.fillRect(rect(), ground);
    painter.fillRect(QRect(width() - 1, 0, 1, height()), ColumnEdge);

    QFont font = captionFont();
    font.setStyleStrategy(m_antialiased ? QFont::PreferAntialias : QFont::NoAntialias);
    painter.setFont(font);
    for (int i = 0; i < count(); ++i) {
        if (m_tabs[i].Visible)
            paintTab(painter, i);
    }
}

QRect PagerTabBar::iconRect(const QRect& area) const
{
    const int top = qBound(MinIconTop, IconTop - (TabHeight - area.height()) / 2, IconTop);
    return QRect(area.left() + (area.width() - IconSize) / 2, area.top() + top, IconSize, IconSize);
}

QRect PagerTabBar::captionBox(const QRect& area) const
{
    const int top = iconRect(area).bottom() + 1 + CaptionGap;
    return QRect(area.left() + SideMargin, top, area.width() - 2 * SideMargin,
                 area.bottom() - 2 - top);
}

QFont PagerTabBar::captionFont() const
{
    // One size for every caption: the largest in which all of them fit.
    const QRect box = captionBox(QRect(0, 0, width() - 1, tabHeight()));
    QFont font = this->font();
    for (const Tab& tab : m_tabs) {
        if (tab.Visible)
            font = FittingFont(font, tab.Caption, box, CaptionFlags);
    }
    return font;
}

void PagerTabBar::paintTab(QPainter& painter, int index) const
{
    const Tab& tab = m_tabs[index];
    const QRect area = tabRect(index).adjusted(0, 0, -1, 0);  // keep the column's edge
    const bool selected = index == m_current;
    const bool hovered = index == m_hover && isEnabled();

    if (!selected && !hovered) {
        painter.setPen(SeparatorColour);
        painter.drawLine(area.left() + 8, area.bottom(), area.right() - 8, area.bottom());
    } else {
        const QRectF box = QRectF(area).adjusted(3.5, 2.5, -3.5, -2.5);
        QLinearGradient fill(box.topLeft(), box.bottomLeft());
        fill.setColorAt(0, selected ? SelectedTop : HoverTop);
        fill.setColorAt(1, selected ? SelectedBottom : HoverBottom);
        QPainterPath path;
        path.addRoundedRect(box, 4, 4);
        painter.fillPath(path, fill);
        painter.setPen(QPen(selected ? SelectedBorder : HoverBorder, 1));
        painter.drawPath(path);
    }

    const QIcon::Mode mode = isEnabled() ? QIcon::Normal : QIcon::Disabled;
    tab.Icon.paint(&painter, iconRect(area), Qt::AlignCenter, mode, QIcon::Off);

    painter.setPen(isEnabled() ? CaptionColour
                               : palette().color(QPalette::Disabled, QPalette::Text));
    painter.drawText(captionBox(area), CaptionFlags, tab.Caption);

    if (selected && hasFocus()) {
        painter.setPen(QPen(CaptionColour, 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(area.adjusted(6, 5, -6, -5));
    }
}

void PagerTabBar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const int index = tabAt(event->position().toPoint());
    if (index >= 0)
        emit tabActivated(index);
    event->accept();
}

void PagerTabBar::mouseMoveEvent(QMouseEvent* event)
{
    setHover(tabAt(event->position().toPoint()));
    QWidget::mouseMoveEvent(event);
}

void PagerTabBar::leaveEvent(QEvent* event)
{
    setHover(-1);
    QWidget::leaveEvent(event);
}

void PagerTabBar::keyPressEvent(QKeyEvent* event)
{
    int step = 0;
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Left)
        step = -1;
    else if (event->key() == Qt::Key_Down || event->key() == Qt::Key_Right)
        step = 1;
    const int next = step != 0 ? visibleNeighbour(m_current, step) : -1;
    if (next < 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    emit tabActivated(next);
    event->accept();
}

int PagerTabBar::visibleNeighbour(int from, int step) const
{
    for (int i = from + step; i >= 0 && i < count(); i += step) {
        if (m_tabs[i].Visible)
            return i;
    }
    return -1;
}

void PagerTabBar::setHover(int index)
{
    if (m_hover == index)
        return;
    m_hover = index;
    update();
}
