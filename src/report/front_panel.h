#pragma once

#include "model/config_image.h"

#include <QList>
#include <QRect>
#include <QString>

#include <cstdint>

// The panel's front as the Signalling page lays it out: the windows of the
// model's layout in their rows, each in its type's colour, with its number,
// its type and the inputs assigned to it. The report draws it as SVG; the
// window's print draws the same boxes with a painter.
struct PanelWindowBox {
    int Window;        // 1..32
    QRect Rect;        // in report pixels, from the picture's top left
    uint32_t Colour;   // 0xRRGGBB
    QString TypeText;  // "Аварийная"; for an unknown code "байт 0x07"
    QList<int> Inputs;
};

struct PanelPicture {
    int Width = 0;
    int Height = 0;
    QList<PanelWindowBox> Windows;
};

PanelPicture FrontPanel(const ConfigImage& image, int32_t familyCode);

// "вх. 1, 33", or "—" for a window no input lights.
QString WindowInputsText(const QList<int>& inputs);

// The three text lines of a window: its number, its type (wide windows
// only; empty otherwise) and its inputs.
QStringList PanelBoxLines(const PanelWindowBox& box);

// The picture as an inline SVG element.
QString FrontPanelSvg(const PanelPicture& picture);
