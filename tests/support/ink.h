#pragma once

#include <QImage>
#include <QRect>

// The smallest rectangle holding the dark pixels (lightness below
// `threshold`) of `area` in `image`: where text was drawn. Empty when none.
inline QRect InkBox(const QImage& image, const QRect& area, int threshold = 100)
{
    QRect ink;
    const QRect inside = area & image.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            if (image.pixelColor(x, y).lightness() < threshold)
                ink |= QRect(x, y, 1, 1);
    return ink;
}
