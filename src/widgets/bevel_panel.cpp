#include "widgets/bevel_panel.h"

#include "widgets/bevel_panel_accessible.h"
#include "widgets/menu_keys.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {
// A one-pixel bevel just inside `rect`: light on the top and left edges and
// dark on the others when raised, the other way round when lowered.
void DrawBevel(QPainter& painter, const QRect& rect, bool raised, const QPalette& palette)
{
    const QColor light = palette.color(QPalette::Light);
    const QColor dark = palette.color(QPalette::Dark);
    painter.setPen(raised ? light : dark);
    painter.drawLine(rect.topLeft(), rect.topRight());
    painter.drawLine(rect.topLeft(), rect.bottomLeft());
    painter.setPen(raised ? dark : light);
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    painter.drawLine(rect.topRight(), rect.bottomRight());
}
}  // namespace

BevelPanel::BevelPanel(QWidget* parent) : QWidget(parent)
{
    BevelPanelAccessible::Install();
    setFocusPolicy(Qt::StrongFocus);
}

void BevelPanel::setCaption(const QString& caption)
{
    m_caption = caption;
    update();
}

void BevelPanel::setColour(const QColor& colour)
{
    m_colour = colour;
    update();
}

void BevelPanel::setOuterRaised(bool raised)
{
    m_outerRaised = raised;
    update();
}

void BevelPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_colour);
    const QRect outer = rect();
    DrawBevel(painter, outer, m_outerRaised, palette());
    DrawBevel(painter, outer.adjusted(1, 1, -1, -1), false, palette());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.setFont(font());
    painter.drawText(rect(), Qt::AlignCenter, m_caption);
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
        painter.drawRect(outer.adjusted(3, 3, -4, -4));
    }
}

void BevelPanel::mousePressEvent(QMouseEvent* event)
{
    emit mouseDown(event->button());
    if (event->button() == Qt::RightButton)
        emit menuRequested(event->globalPosition().toPoint());
    event->accept();
}

void BevelPanel::mouseReleaseEvent(QMouseEvent* event)
{
    emit mouseUp(event->button());
    event->accept();
}

void BevelPanel::press()
{
    emit mouseDown(Qt::LeftButton);
    emit mouseUp(Qt::LeftButton);
}

void BevelPanel::requestMenu()
{
    emit menuRequested(mapToGlobal(QPoint(0, height())));
}

void BevelPanel::keyPressEvent(QKeyEvent* event)
{
    if (IsMenuKey(event)) {
        requestMenu();
        event->accept();
    } else if (IsPressKey(event)) {
        // A held key steps once, as a held mouse button does.
        if (!event->isAutoRepeat())
            emit mouseDown(Qt::LeftButton);
        event->accept();
    } else {
        QWidget::keyPressEvent(event);
    }
}

void BevelPanel::keyReleaseEvent(QKeyEvent* event)
{
    if (IsPressKey(event) && !event->isAutoRepeat()) {
        emit mouseUp(Qt::LeftButton);
        event->accept();
        return;
    }
    QWidget::keyReleaseEvent(event);
}

void BevelPanel::focusInEvent(QFocusEvent* event)
{
    update();
    QWidget::focusInEvent(event);
}

void BevelPanel::focusOutEvent(QFocusEvent* event)
{
    update();
    QWidget::focusOutEvent(event);
}
