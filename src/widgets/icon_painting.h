#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QPointF>
#include <QRectF>

#include <functional>
#include <span>

class QPainter;

// Drawing of the tool's own pictures and icons with QPainter. Every drawing
// works on a square design grid; icons are rendered from it at the usual
// sizes, so they stay sharp in menus, on the tool bar and on the page tabs.
namespace IconPainting {

using Drawing = std::function<void(QPainter&)>;

// A transparent pixmap of `size` with `draw` scaled by `scale` (smoothed).
QPixmap Render(const QSize& size, qreal scale, const Drawing& draw);
// An icon drawn on a designSize × designSize grid. It is drawn when it is
// first shown, at the size asked for (16 to 128 pixels are offered), and
// kept. With a `themeName` the desktop theme's icon of that name is used
// where the theme has one; that too is looked up only when first shown.
QIcon Icon(int designSize, const Drawing& draw, const QString& themeName = {});

// A round lamp with a highlight at its upper left; the middle of its face is
// exactly `colour`.
void Lamp(QPainter& painter, const QPointF& centre, qreal radius, const QColor& colour);
// A sheet of paper with its top right corner folded.
void Sheet(QPainter& painter, const QRectF& rect, qreal fold);
// A pencil lying from its tip towards the upper right at 45 degrees.
void Pencil(QPainter& painter, const QPointF& tip, qreal length, qreal thickness);
// The face of a panel: a dark housing with lit signalling windows, coloured
// in turn from `colours`.
void PanelFace(QPainter& painter, const QRectF& rect, int columns, int rows,
               std::span<const QColor> colours);
// A fat arrow from `from` to `to`.
void Arrow(QPainter& painter, const QPointF& from, const QPointF& to, qreal thickness,
           const QColor& colour);
// A tick mark along the points, with a dark edge.
void Tick(QPainter& painter, std::span<const QPointF> points, qreal thickness,
          const QColor& colour);
// A toothed wheel.
void Gear(QPainter& painter, const QPointF& centre, qreal radius, int teeth, const QColor& colour);

// The contact pictures on a 16 × 16 grid, black on transparent: two leads on
// one line; open: a blade rising from the left lead, clear of the right one;
// closed: a post at each inner end, the left one taller, and the blade from
// the top of the left post down onto the right post.
void OpenContact(QPainter& painter, const QColor& ink);
void ClosedContact(QPainter& painter, const QColor& ink);

// The fill buttons' picture on a 29 × 17 grid: a pencil over a sheet, and a
// small downward arrow to their right.
void FillGlyph(QPainter& painter);

}  // namespace IconPainting
