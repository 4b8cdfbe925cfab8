#pragma once

class QWidget;

// The look of the speed and fill buttons' captions: bold, navy (RGB 0, 0,
// 128), at `pointSize` points (0 keeps the size).
void SetNavyBoldFont(QWidget* button, int pointSize);
