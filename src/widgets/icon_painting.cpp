#include "widgets/icon_painting.h"

#include <QApplication>
#include <QHash>
#include <QIconEngine>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>

#include <QStyle>
#include <QStyleOption>
#include <array>
#include <memory>
#include <optional>

namespace IconPainting {

namespace {
constexpr std::array IconSizes{16, 22, 24, 32, 48, 64, 128};

QColor Shade(const QColor& colour, int factor)
{
    return colour.darker(factor);
}
}  // namespace

QPixmap Render(const QSize& size, qreal scale, const Drawing& draw)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);
    draw(painter);
    return pixmap;
}

namespace {
// Draws an icon on demand: at start-up nothing is rendered, and later only
// the sizes and modes that are shown. Copies of the icon share the cache.
class DrawnIconEngine : public QIconEngine {
public:
    struct Shared {
        int DesignSize;
        Drawing Draw;
        QString ThemeName;
        std::optional<QIcon> Theme;  // looked up on first use; null icon: none
        QHash<quint64, QPixmap> Cache;
    };

    explicit DrawnIconEngine(std::shared_ptr<Shared> shared) : m_shared(std::move(shared)) {}

    QIconEngine* clone() const override { return new DrawnIconEngine(m_shared); }
    QString key() const override { return QStringLiteral("OrlixDrawnIcon"); }
    bool isNull() override { return false; }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        QList<QSize> sizes;
        for (int size : IconSizes)
            sizes << QSize(size, size);
        return sizes;
    }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        const int side = std::min(size.width(), size.height());
        return QSize(side, side);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        if (const QIcon& theme = Theme(); !theme.isNull())
            return theme.pixmap(size, mode, state);
        const int side = std::max(1, std::min(size.width(), size.height()));
        const quint64 key = (quint64(side) << 8) | quint64(mode);
        if (const auto it = m_shared->Cache.constFind(key); it != m_shared->Cache.constEnd())
            return *it;
        QPixmap pm = Render(QSize(side, side), qreal(side) / m_shared->DesignSize, m_shared->Draw);
        if (mode != QIcon::Normal && qobject_cast<QApplication*>(QCoreApplication::instance())) {
            QStyleOption option;
            option.palette = QApplication::palette();
            pm = QApplication::style()->generatedIconPixmap(mode, pm, &option);
        }
        m_shared->Cache.insert(key, pm);
        return pm;
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal dpr = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        QPixmap pm = pixmap(rect.size() * dpr, mode, state);
        pm.setDevicePixelRatio(dpr);
        painter->drawPixmap(rect.topLeft(), pm);
    }

private:
    const QIcon& Theme()
    {
        if (!m_shared->Theme) {
            m_shared->Theme =
                !m_shared->ThemeName.isEmpty() && QIcon::hasThemeIcon(m_shared->ThemeName)
                    ? QIcon::fromTheme(m_shared->ThemeName)
                    : QIcon();
        }
        return *m_shared->Theme;
    }

    std::shared_ptr<Shared> m_shared;
};
}  // namespace

QIcon Icon(int designSize, const Drawing& draw, const QString& themeName)
{
    auto shared = std::make_shared<DrawnIconEngine::Shared>(
        DrawnIconEngine::Shared{designSize, draw, themeName, std::nullopt, {}});
    return QIcon(new DrawnIconEngine(std::move(shared)));
}

void Lamp(QPainter& painter, const QPointF& centre, qreal radius, const QColor& colour)
{
    painter.save();
    const bool pale = colour.lightness() > 200 && colour.saturation() < 40;
    const QColor rim = Shade(colour, pale ? 150 : 175);
    painter.setPen(QPen(Shade(rim, 130), radius * 0.12));
    painter.setBrush(rim);
    painter.drawEllipse(centre, radius, radius);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawEllipse(centre, radius * 0.78, radius * 0.78);
    // A glint at the upper left that fades out before the middle of the face.
    const QPointF glint = centre + QPointF(-radius * 0.33, -radius * 0.38);
    QRadialGradient shine(glint, radius * 0.45);
    shine.setColorAt(0, QColor(255, 255, 255, 235));
    shine.setColorAt(1, QColor(255, 255, 255, 0));
    painter.setBrush(shine);
    painter.drawEllipse(glint, radius * 0.45, radius * 0.45);
    painter.restore();
}

void Sheet(QPainter& painter, const QRectF& rect, qreal fold)
{
    painter.save();
    const qreal unit = rect.width() / 14;
    QPainterPath paper;
    paper.moveTo(rect.topLeft());
    paper.lineTo(rect.right() - fold, rect.top());
    paper.lineTo(rect.right(), rect.top() + fold);
    paper.lineTo(rect.bottomRight());
    paper.lineTo(rect.bottomLeft());
    paper.closeSubpath();
    QLinearGradient white(rect.topLeft(), rect.bottomRight());
    white.setColorAt(0, Qt::white);
    white.setColorAt(1, QColor(228, 232, 238));
    painter.setPen(QPen(QColor(110, 115, 125), unit));
    painter.setBrush(white);
    painter.drawPath(paper);

    QPainterPath corner;
    corner.moveTo(rect.right() - fold, rect.top());
    corner.lineTo(rect.right() - fold, rect.top() + fold);
    corner.lineTo(rect.right(), rect.top() + fold);
    painter.setBrush(QColor(205, 210, 220));
    painter.drawPath(corner);
    painter.restore();
}

void Pencil(QPainter& painter, const QPointF& tip, qreal length, qreal thickness)
{
    painter.save();
    painter.translate(tip);
    painter.rotate(-45);
    const qreal half = thickness / 2;
    const qreal point = thickness * 1.1;
    const qreal cap = thickness * 1.0;
    const QColor outline(90, 60, 20);
    painter.setPen(QPen(outline, thickness * 0.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));

    // The sharpened wood with its lead.
    QPolygonF wood{QPointF(0, 0), QPointF(point, -half), QPointF(point, half)};
    painter.setBrush(QColor(240, 205, 150));
    painter.drawPolygon(wood);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(40, 40, 40));
    painter.drawPolygon(QPolygonF{QPointF(0, 0), QPointF(point * 0.4, -half * 0.4),
                                  QPointF(point * 0.4, half * 0.4)});

    // The painted body, the metal band and the eraser.
    painter.setPen(QPen(outline, thickness * 0.2));
    QLinearGradient body(0, -half, 0, half);
    body.setColorAt(0, QColor(255, 226, 90));
    body.setColorAt(1, QColor(232, 160, 20));
    painter.setBrush(body);
    painter.drawRect(QRectF(point, -half, length - point - cap, thickness));
    painter.setBrush(QColor(190, 195, 200));
    painter.drawRect(QRectF(length - cap, -half, cap * 0.45, thickness));
    painter.setBrush(QColor(240, 130, 140));
    painter.drawRect(QRectF(length - cap * 0.55, -half, cap * 0.55, thickness));
    painter.restore();
}

void PanelFace(QPainter& painter, const QRectF& rect, int columns, int rows,
               std::span<const QColor> colours)
{
    painter.save();
    const qreal size = qMin(rect.width(), rect.height());
    QLinearGradient housing(rect.topLeft(), rect.bottomLeft());
    housing.setColorAt(0, QColor(112, 122, 136));
    housing.setColorAt(1, QColor(58, 65, 76));
    painter.setPen(QPen(QColor(34, 38, 46), qMax(0.8, size * 0.05)));
    painter.setBrush(housing);
    painter.drawRoundedRect(rect, size * 0.1, size * 0.1);

    const qreal margin = qMax(1.5, size * 0.12);
    const qreal gap = qMax(1.0, size * 0.07);
    const QRectF inner = rect.adjusted(margin, margin, -margin, -margin);
    const qreal w = (inner.width() - gap * (columns - 1)) / columns;
    const qreal h = (inner.height() - gap * (rows - 1)) / rows;
    painter.setPen(Qt::NoPen);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const QColor colour = colours[(r * columns + c) % colours.size()];
            const QRectF window(inner.left() + c * (w + gap), inner.top() + r * (h + gap), w, h);
            QLinearGradient lit(window.topLeft(), window.bottomLeft());
            lit.setColorAt(0, colour.lighter(135));
            lit.setColorAt(1, colour);
            painter.setBrush(lit);
            painter.drawRoundedRect(window, w * 0.12, h * 0.12);
        }
    }
    painter.restore();
}

void Arrow(QPainter& painter, const QPointF& from, const QPointF& to, qreal thickness,
           const QColor& colour)
{
    painter.save();
    const QLineF line(from, to);
    painter.translate(from);
    painter.rotate(-line.angle());
    const qreal length = line.length();
    const qreal head = thickness * 1.6;
    const qreal half = thickness / 2;
    QPolygonF shape{
        QPointF(0, -half),  QPointF(length - head, -half), QPointF(length - head, -head),
        QPointF(length, 0), QPointF(length - head, head),  QPointF(length - head, half),
        QPointF(0, half)};
    QLinearGradient fill(0, -head, 0, head);
    fill.setColorAt(0, colour.lighter(140));
    fill.setColorAt(1, colour);
    painter.setPen(
        QPen(colour.darker(170), thickness * 0.22, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(fill);
    painter.drawPolygon(shape);
    painter.restore();
}

void Tick(QPainter& painter, std::span<const QPointF> points, qreal thickness, const QColor& colour)
{
    painter.save();
    QPainterPath path;
    path.moveTo(points.front());
    for (const QPointF& p : points.subspan(1))
        path.lineTo(p);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(
        QPen(colour.darker(170), thickness * 1.45, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(path);
    painter.setPen(QPen(colour, thickness, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(path);
    painter.restore();
}

void Gear(QPainter& painter, const QPointF& centre, qreal radius, int teeth, const QColor& colour)
{
    painter.save();
    QPainterPath wheel;
    const qreal root = radius * 0.74;
    const int steps = teeth * 4;
    for (int i = 0; i < steps; ++i) {
        // Each tooth: rise, top, fall, gap.
        const qreal angle = 2 * M_PI * i / steps;
        const qreal r = (i % 4 == 1 || i % 4 == 2) ? radius : root;
        const QPointF p = centre + QPointF(qCos(angle) * r, qSin(angle) * r);
        if (i == 0)
            wheel.moveTo(p);
        else
            wheel.lineTo(p);
    }
    wheel.closeSubpath();
    wheel.addEllipse(centre, radius * 0.3, radius * 0.3);
    wheel.setFillRule(Qt::OddEvenFill);
    QLinearGradient metal(centre - QPointF(radius, radius), centre + QPointF(radius, radius));
    metal.setColorAt(0, colour.lighter(150));
    metal.setColorAt(1, colour.darker(120));
    painter.setPen(
        QPen(colour.darker(200), radius * 0.09, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(metal);
    painter.drawPath(wheel);
    painter.restore();
}

namespace {
// The contacts' common parts: the leads on row 11, the left one ending at
// column 5, the right one starting at column 10.
void Leads(QPainter& painter, const QColor& ink)
{
    painter.fillRect(QRect(1, 11, 5, 1), ink);
    painter.fillRect(QRect(10, 11, 5, 1), ink);
}

void Blade(QPainter& painter, const QColor& ink, const QPointF& from, const QPointF& to)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(ink, 1.25, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(from, to);
    painter.restore();
}
}  // namespace

void OpenContact(QPainter& painter, const QColor& ink)
{
    Leads(painter, ink);
    Blade(painter, ink, QPointF(5.5, 11.5), QPointF(12.5, 5.0));
}

void ClosedContact(QPainter& painter, const QColor& ink)
{
    Leads(painter, ink);
    painter.fillRect(QRect(5, 5, 1, 6), ink);   // the taller left post
    painter.fillRect(QRect(10, 8, 1, 3), ink);  // the right post
    Blade(painter, ink, QPointF(5.5, 5.0), QPointF(11.0, 8.5));
}

void FillGlyph(QPainter& painter)
{
    painter.save();
    Sheet(painter, QRectF(1.5, 1.5, 13, 14), 4);
    painter.setPen(QPen(QColor(140, 160, 200), 1));
    for (int y = 6; y <= 13; y += 2)
        painter.drawLine(QPointF(3.5, y + 0.5), QPointF(y < 8 ? 9.5 : 12.5, y + 0.5));
    Pencil(painter, QPointF(5.5, 14.0), 15.5, 3.6);

    // The arrow: rows 7 to 10, seven pixels wide at the top, one at the tip.
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (int i = 0; i < 4; ++i)
        painter.fillRect(QRect(22 + i, 7 + i, 7 - 2 * i, 1), Qt::black);
    painter.restore();
}

}  // namespace IconPainting
