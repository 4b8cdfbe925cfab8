#pragma once

class QColor;
class QWidget;

// The look of the speed and fill buttons' captions: bold, in `colour`, at
// `pointSize` points (0 keeps the size).
void SetBoldCaptionFont(QWidget* button, const QColor& colour, int pointSize);
// Bold navy (RGB 0, 0, 128), as most of those buttons have it.
void SetNavyBoldFont(QWidget* button, int pointSize);
