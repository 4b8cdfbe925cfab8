#include "widgets/icons.h"

#include "widgets/icon_painting.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>
#include <QRadialGradient>
#include <QtMath>

#include <array>

using namespace IconPainting;

namespace Icons {

namespace {
constexpr int BarGrid = 24;   // design grid of the tool bar icons
constexpr int PageGrid = 32;  // design grid of the page tab icons

const std::array<QColor, 6> LampColours{
    QColor(0, 255, 0),     QColor(255, 255, 0), QColor(255, 0, 0),
    QColor(224, 224, 224), QColor(255, 165, 0), QColor(255, 0, 255),
};

// The windows of a panel face in the icons: lit in the signalling colours.
const std::array<QColor, 5> FaceColours{
    QColor(40, 210, 60), QColor(250, 220, 30),  QColor(230, 40, 40),
    QColor(40, 210, 60), QColor(210, 214, 220),
};

const QColor Navy(32, 60, 120);
const QColor Green(46, 170, 60);
const QColor Blue(40, 110, 210);

void Screen(QPainter& p, const QRectF& rect)
{
    p.setPen(QPen(QColor(30, 36, 44), 1));
    QLinearGradient body(rect.topLeft(), rect.bottomLeft());
    body.setColorAt(0, QColor(150, 158, 170));
    body.setColorAt(1, QColor(90, 98, 110));
    p.setBrush(body);
    p.drawRoundedRect(rect, 3, 3);
}

void Card(QPainter& p, const QRectF& rect)
{
    QLinearGradient white(rect.topLeft(), rect.bottomRight());
    white.setColorAt(0, Qt::white);
    white.setColorAt(1, QColor(222, 228, 238));
    p.setPen(QPen(QColor(100, 110, 130), 1));
    p.setBrush(white);
    p.drawRoundedRect(rect, 2.5, 2.5);
}

void Box(QPainter& p, const QRectF& rect)
{
    QLinearGradient fill(rect.topLeft(), rect.bottomLeft());
    fill.setColorAt(0, QColor(200, 220, 248));
    fill.setColorAt(1, QColor(140, 175, 228));
    p.setPen(QPen(Navy, 1));
    p.setBrush(fill);
    p.drawRoundedRect(rect, 1.5, 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 210, 60));
    p.drawEllipse(QPointF(rect.right() - 2.2, rect.top() + 2.2), 1.1, 1.1);
}
}  // namespace

QIcon NewConfig()
{
    return Icon(
        BarGrid,
        [](QPainter& p) {
            Sheet(p, QRectF(5.5, 2.5, 14, 19), 5);
            // A sparkle at the corner: the sheet is new.
            QPainterPath star;
            const QPointF c(6.5, 6.5);
            for (int i = 0; i < 8; ++i) {
                const qreal r = (i % 2 == 0) ? 5.0 : 1.6;
                const qreal a = M_PI / 4 * i - M_PI / 2;
                const QPointF pt = c + QPointF(qCos(a) * r, qSin(a) * r);
                i == 0 ? star.moveTo(pt) : star.lineTo(pt);
            }
            star.closeSubpath();
            p.setPen(QPen(QColor(200, 120, 0), 0.8));
            p.setBrush(QColor(255, 214, 40));
            p.drawPath(star);
        },
        QStringLiteral("document-new"));
}

QIcon OpenFile()
{
    return Icon(
        BarGrid,
        [](QPainter& p) {
            const QColor edge(160, 110, 20);
            p.setPen(QPen(edge, 1, Qt::SolidLine, Qt::SquareCap, Qt::RoundJoin));
            p.setBrush(QColor(232, 176, 52));
            p.drawPolygon(QPolygonF{QPointF(2.5, 4.5), QPointF(9, 4.5), QPointF(11, 6.5),
                                    QPointF(20.5, 6.5), QPointF(20.5, 19.5), QPointF(2.5, 19.5)});
            Sheet(p, QRectF(6.5, 3.5, 12, 11), 3);
            QLinearGradient front(0, 10, 0, 20);
            front.setColorAt(0, QColor(255, 224, 120));
            front.setColorAt(1, QColor(244, 192, 64));
            p.setPen(QPen(edge, 1, Qt::SolidLine, Qt::SquareCap, Qt::RoundJoin));
            p.setBrush(front);
            p.drawPolygon(QPolygonF{QPointF(5.5, 10.5), QPointF(23, 10.5), QPointF(20.5, 19.5),
                                    QPointF(2.5, 19.5)});
        },
        QStringLiteral("document-open"));
}

QIcon SaveFile()
{
    return Icon(
        BarGrid,
        [](QPainter& p) {
            QLinearGradient body(0, 3, 0, 21);
            body.setColorAt(0, QColor(74, 122, 200));
            body.setColorAt(1, QColor(40, 80, 150));
            p.setPen(QPen(QColor(22, 46, 96), 1));
            p.setBrush(body);
            p.drawPolygon(QPolygonF{QPointF(3.5, 3.5), QPointF(18.5, 3.5), QPointF(20.5, 5.5),
                                    QPointF(20.5, 20.5), QPointF(3.5, 20.5)});
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(214, 218, 226));
            p.drawRect(QRectF(7, 4, 10, 6));
            p.setBrush(QColor(60, 70, 90));
            p.drawRect(QRectF(13, 5, 2.5, 4));
            p.setBrush(Qt::white);
            p.drawRoundedRect(QRectF(6, 13, 12, 7.5), 1, 1);
            p.setPen(QPen(QColor(150, 170, 210), 1));
            p.drawLine(QPointF(8, 15.5), QPointF(16, 15.5));
            p.drawLine(QPointF(8, 17.5), QPointF(16, 17.5));
        },
        QStringLiteral("document-save"));
}

QIcon Connection()
{
    return Icon(BarGrid, [](QPainter& p) {
        // A serial plug seen from the front, with its cable.
        p.setPen(QPen(QColor(20, 20, 20), 2.6, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        QPainterPath cable(QPointF(12, 15));
        cable.cubicTo(QPointF(12, 19), QPointF(6, 19), QPointF(4, 23));
        p.drawPath(cable);
        p.setPen(QPen(QColor(60, 64, 72), 1));
        p.setBrush(QColor(150, 156, 166));
        p.drawRect(QRectF(9, 12.5, 6, 4));
        QLinearGradient metal(0, 3, 0, 14);
        metal.setColorAt(0, QColor(228, 232, 238));
        metal.setColorAt(1, QColor(150, 158, 170));
        p.setBrush(metal);
        p.drawPolygon(
            QPolygonF{QPointF(1.5, 3.5), QPointF(22.5, 3.5), QPointF(19, 13.5), QPointF(5, 13.5)});
        p.setBrush(QColor(52, 62, 84));
        p.drawPolygon(QPolygonF{QPointF(4.2, 5.5), QPointF(19.8, 5.5), QPointF(17.6, 11.5),
                                QPointF(6.4, 11.5)});
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 206, 70));
        for (int i = 0; i < 5; ++i)
            p.drawEllipse(QPointF(6.9 + 2.55 * i, 7.6), 0.95, 0.95);
        for (int i = 0; i < 4; ++i)
            p.drawEllipse(QPointF(8.2 + 2.55 * i, 9.9), 0.95, 0.95);
    });
}

QIcon ReadConfig()
{
    return Icon(BarGrid, [](QPainter& p) {
        PanelFace(p, QRectF(2.5, 1.5, 19, 10), 4, 2, FaceColours);
        Arrow(p, QPointF(12, 11.5), QPointF(12, 23), 4.5, Green);
    });
}

QIcon WriteConfig()
{
    return Icon(BarGrid, [](QPainter& p) {
        PanelFace(p, QRectF(2.5, 1.5, 19, 10), 4, 2, FaceColours);
        Arrow(p, QPointF(12, 23), QPointF(12, 11.5), 4.5, Blue);
    });
}

QIcon ApplyConfig()
{
    return Icon(BarGrid, [](QPainter& p) {
        PanelFace(p, QRectF(2.5, 1.5, 19, 10), 4, 2, FaceColours);
        const std::array tick{QPointF(5, 16.5), QPointF(10, 21), QPointF(19.5, 12.5)};
        Tick(p, tick, 3.0, Green);
    });
}

QIcon PageTests()
{
    return Icon(PageGrid, [](QPainter& p) {
        Screen(p, QRectF(2.5, 5.5, 27, 21));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(16, 48, 28));
        p.drawRoundedRect(QRectF(5, 8, 22, 14), 1.5, 1.5);
        p.setPen(QPen(QColor(50, 100, 60), 0.6));
        for (int x = 9; x < 27; x += 4)
            p.drawLine(QPointF(x + 0.5, 8), QPointF(x + 0.5, 22));
        p.drawLine(QPointF(5, 15), QPointF(27, 15));
        QPainterPath trace;
        for (int i = 0; i <= 44; ++i) {
            const qreal x = 5.5 + i * 0.48;
            const QPointF pt(x, 15 - 4.5 * qSin(i * M_PI / 11));
            i == 0 ? trace.moveTo(pt) : trace.lineTo(pt);
        }
        p.setPen(QPen(QColor(130, 255, 140), 1.4));
        p.setBrush(Qt::NoBrush);
        p.drawPath(trace);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 44, 52));
        p.drawEllipse(QPointF(8, 24.3), 1.1, 1.1);
        p.drawEllipse(QPointF(12, 24.3), 1.1, 1.1);
    });
}

QIcon PageConfig()
{
    return Icon(PageGrid, [](QPainter& p) {
        PanelFace(p, QRectF(1.5, 2.5, 22, 17), 3, 2, FaceColours);
        Gear(p, QPointF(22, 21.5), 9.5, 8, QColor(96, 124, 168));
    });
}

QIcon PageModbus()
{
    return Icon(PageGrid, [](QPainter& p) {
        // Three devices on one line.
        p.setPen(QPen(Navy, 1.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(2, 16), QPointF(30, 16));
        p.setPen(QPen(Navy, 1.2));
        p.drawLine(QPointF(7.5, 11), QPointF(7.5, 16));
        p.drawLine(QPointF(24.5, 11), QPointF(24.5, 16));
        p.drawLine(QPointF(16, 16), QPointF(16, 21));
        Box(p, QRectF(2.5, 3.5, 10, 8));
        Box(p, QRectF(19.5, 3.5, 10, 8));
        Box(p, QRectF(11, 20.5, 10, 8));
        p.setPen(Qt::NoPen);
        p.setBrush(Navy);
        for (qreal x : {7.5, 16.0, 24.5})
            p.drawEllipse(QPointF(x, 16), 1.7, 1.7);
    });
}

QIcon PageInputs()
{
    return Icon(PageGrid, [](QPainter& p) {
        Card(p, QRectF(9.5, 5.5, 21, 21));
        p.save();
        p.translate(11, 4);
        p.scale(1.15, 1.15);
        OpenContact(p, Qt::black);
        p.restore();
        Arrow(p, QPointF(1, 23), QPointF(13, 23), 4, Green);
    });
}

QIcon PageOutputs()
{
    return Icon(PageGrid, [](QPainter& p) {
        Card(p, QRectF(1.5, 5.5, 21, 21));
        // A relay coil with its leads.
        p.setPen(QPen(Qt::black, 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(3.5, 14.5), QPointF(7, 14.5));
        p.drawLine(QPointF(17, 14.5), QPointF(20.5, 14.5));
        p.drawRect(QRectF(7, 10, 10, 9));
        p.drawLine(QPointF(7, 19), QPointF(17, 10));
        Arrow(p, QPointF(19, 23), QPointF(31, 23), 4, QColor(240, 130, 20));
    });
}

QIcon PageStructure()
{
    return Icon(PageGrid, [](QPainter& p) {
        // Rows cross columns; a dot joins an input to an output.
        Card(p, QRectF(2.5, 2.5, 27, 27));
        p.setPen(QPen(QColor(120, 130, 150), 1));
        for (int i = 0; i < 5; ++i) {
            const qreal at = 7.5 + 4.25 * i;
            p.drawLine(QPointF(5, at), QPointF(27, at));
            p.drawLine(QPointF(at, 5), QPointF(at, 27));
        }
        p.setPen(QPen(QColor(20, 60, 150), 0.8));
        p.setBrush(QColor(60, 130, 230));
        const std::array<std::pair<int, int>, 5> joins{{{0, 1}, {1, 3}, {2, 0}, {3, 4}, {4, 2}}};
        for (auto [row, column] : joins)
            p.drawEllipse(QPointF(7.5 + 4.25 * column, 7.5 + 4.25 * row), 1.9, 1.9);
    });
}

QIcon PageSignalling()
{
    return Icon(PageGrid,
                [](QPainter& p) { PanelFace(p, QRectF(1.5, 3.5, 29, 25), 3, 3, FaceColours); });
}

QIcon PageExternalNet()
{
    return Icon(PageGrid, [](QPainter& p) {
        const QPointF c(16, 16);
        QRadialGradient sea(c - QPointF(4, 4), 14);
        sea.setColorAt(0, QColor(140, 200, 255));
        sea.setColorAt(1, QColor(30, 90, 190));
        p.setPen(QPen(QColor(20, 50, 120), 1));
        p.setBrush(sea);
        p.drawEllipse(c, 13, 13);
        p.setPen(QPen(QColor(220, 236, 255, 200), 0.9));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(c, 5.5, 13);
        p.drawLine(QPointF(16, 3), QPointF(16, 29));
        p.drawLine(QPointF(3, 16), QPointF(29, 16));
        p.drawLine(QPointF(5, 9.5), QPointF(27, 9.5));
        p.drawLine(QPointF(5, 22.5), QPointF(27, 22.5));
    });
}

namespace {
void AppFace(QPainter& p)
{
    PanelFace(p, QRectF(1.5, 1.5, 29, 29), 3, 3, FaceColours);
}
}  // namespace

QIcon AppIcon()
{
    return Icon(PageGrid, AppFace);
}

QImage AppIconImage(int size)
{
    return Render(QSize(size, size), qreal(size) / PageGrid, AppFace).toImage();
}

QColor LampColour(int index)
{
    return index >= 0 && index < int(LampColours.size()) ? LampColours[index] : QColor();
}

QPixmap Picture(int index)
{
    if (index < 0 || index >= PictureCount)
        return {};
    const QString key = QStringLiteral("orlix-picture-%1").arg(index);
    QPixmap cached;
    if (QPixmapCache::find(key, &cached))
        return cached;
    const QPixmap picture = Render(QSize(PictureSize, PictureSize), 1.0, [index](QPainter& p) {
        if (index == ContactOpen)
            OpenContact(p, Qt::black);
        else if (index == ContactClosed)
            ClosedContact(p, Qt::black);
        else
            Lamp(p, QPointF(8, 8), 6.5, LampColours[index]);
    });
    QPixmapCache::insert(key, picture);
    return picture;
}

QPixmap FillButtonPicture()
{
    return Render(QSize(29, 17), 1.0, [](QPainter& p) { FillGlyph(p); });
}

}  // namespace Icons
