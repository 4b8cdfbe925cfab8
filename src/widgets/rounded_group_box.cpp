#include "widgets/rounded_group_box.h"

#include <QPainter>
#include <QPainterPath>

namespace {
constexpr int CaptionIndent = 8;   // from the left edge, for a caption at the top
constexpr int CaptionPadding = 2;  // gap in the frame on each side of the caption
constexpr qreal Radius = 6;
constexpr int TextFlags = Qt::AlignCenter | Qt::TextShowMnemonic | Qt::TextSingleLine;
}  // namespace

RoundedGroupBox::RoundedGroupBox(const QString& title, QWidget* parent) : QGroupBox(title, parent)
{
}

void RoundedGroupBox::setCaptionPlace(CaptionPlace place)
{
    if (m_captionPlace == place)
        return;
    m_captionPlace = place;
    update();
}

void RoundedGroupBox::setBorderColor(const QColor& colour)
{
    m_borderColour = colour;
    update();
}

QFont RoundedGroupBox::captionFont() const
{
    QFont bold = font();
    bold.setBold(true);
    return bold;
}

QRect RoundedGroupBox::captionRect() const
{
    if (title().isEmpty())
        return {};
    const QFontMetrics metrics(captionFont());
    const QSize size = metrics.size(TextFlags, title());
    if (m_captionPlace == CaptionPlace::TopLeft)
        return QRect(QPoint(CaptionIndent + CaptionPadding, 0), size);
    return QRect(QPoint((width() - size.width()) / 2, height() - size.height()), size);
}

QSize RoundedGroupBox::minimumSizeHint() const
{
    const QRect caption = captionRect();
    const int captionWidth = caption.isEmpty() ? 0 : caption.width() + 2 * CaptionIndent;
    return QSize(qMax(captionWidth, 2 * int(Radius) + 2), caption.height() + 2 * int(Radius) + 2);
}

void RoundedGroupBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    const QRect caption = captionRect();
    // The frame runs through the middle of the caption's line.
    QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -1.5, -1.5);
    if (!caption.isEmpty()) {
        if (m_captionPlace == CaptionPlace::TopLeft)
            frame.setTop(caption.center().y() + 0.5);
        else
            frame.setBottom(caption.center().y() - 0.5);
        QRegion clip(rect());
        painter.setClipRegion(
            clip.subtracted(caption.adjusted(-CaptionPadding, 0, CaptionPadding, 0)));
    }

    // An etched line: the frame's colour with a light line beside it.
    const QColor dark = m_borderColour.isValid() ? m_borderColour : palette().color(QPalette::Dark);
    QPainterPath outline;
    outline.addRoundedRect(frame, Radius, Radius);
    painter.setPen(QPen(palette().color(QPalette::Light), 1));
    painter.drawPath(outline.translated(1, 1));
    painter.setPen(QPen(dark, 1));
    painter.drawPath(outline);

    if (caption.isEmpty())
        return;
    painter.setClipping(false);
    painter.setFont(captionFont());
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    painter.drawText(caption, TextFlags, title());
}
