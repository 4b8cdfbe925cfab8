#pragma once

#include <QColor>
#include <QGroupBox>
#include <QRect>

// A group box drawn as a frame with rounded edges and a bold caption, either
// at the top left (the default) or centred on the bottom edge. The caption is
// shown as given, blanks included; an empty caption leaves the frame whole.
// Only the caption is bold: the children keep their own font. Children are
// placed by absolute positions relative to the box.
class RoundedGroupBox : public QGroupBox {
    Q_OBJECT
public:
    enum class CaptionPlace { TopLeft, BottomCentre };

    explicit RoundedGroupBox(const QString& title, QWidget* parent = nullptr);

    void setCaptionPlace(CaptionPlace place);
    CaptionPlace captionPlace() const { return m_captionPlace; }

    // The frame's colour; an invalid colour (the default) follows the palette.
    void setBorderColor(const QColor& colour);
    QColor borderColor() const { return m_borderColour; }

    // Where the caption is drawn, in the box's coordinates; empty without one.
    QRect captionRect() const;

    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QFont captionFont() const;

    CaptionPlace m_captionPlace = CaptionPlace::TopLeft;
    QColor m_borderColour;
};
