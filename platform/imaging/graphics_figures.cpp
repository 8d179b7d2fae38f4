// Lines, curves, rectangles, ellipses and polygons.
#include <QBrush>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QVarLengthArray>
#include <cmath>

#include "platform/imaging/graphics.h"
#include "platform/imaging/graphics_impl.h"

namespace varn::imaging {

namespace {

using PointList = QVarLengthArray<QPointF, 64>;

PointList ToQPoints(std::span<const PointF> points) {
  PointList result;
  result.reserve(static_cast<qsizetype>(points.size()));
  for (const PointF& p : points) result.append(QPointF(p.X, p.Y));
  return result;
}

PointList ToQPoints(std::span<const Point> points) {
  PointList result;
  result.reserve(static_cast<qsizetype>(points.size()));
  for (const Point& p : points) result.append(QPointF(p.X, p.Y));
  return result;
}

bool AllFinite(const PointList& points) {
  for (const QPointF& p : points) {
    if (!std::isfinite(p.x()) || !std::isfinite(p.y())) return false;
  }
  return true;
}

QRectF ToQRect(const RectF& rect) { return QRectF(rect.X, rect.Y, rect.Width, rect.Height); }

QRectF ToQRect(const Rect& rect) { return QRectF(rect.X, rect.Y, rect.Width, rect.Height); }

// A cardinal spline as cubic Bézier segments, end points repeated.
QPainterPath CardinalSpline(const PointList& points, float tension) {
  const qsizetype count = points.size();
  const qreal factor = tension / 3.0;
  auto at = [&](qsizetype i) { return points[std::clamp<qsizetype>(i, 0, count - 1)]; };
  QPainterPath path(points[0]);
  for (qsizetype i = 0; i + 1 < count; ++i) {
    const QPointF c1 = at(i) + factor * (at(i + 1) - at(i - 1));
    const QPointF c2 = at(i + 1) - factor * (at(i + 2) - at(i));
    path.cubicTo(c1, c2, at(i + 1));
  }
  return path;
}

bool IsFiniteRect(const QRectF& rect) {
  return std::isfinite(rect.x()) && std::isfinite(rect.y()) && std::isfinite(rect.width()) &&
         std::isfinite(rect.height());
}

// An inset pen draws its whole width inside the outline.
QRectF AlignToPen(const QRectF& rect, const Pen& pen) {
  const qreal width = pen.GetWidth();
  if (pen.GetAlignment() != PenAlignment::Inset || width <= 1) return rect;
  const qreal half = width / 2;
  return QRectF(rect.x() + half, rect.y() + half, std::max<qreal>(0, rect.width() - width),
                std::max<qreal>(0, rect.height() - width));
}

// Readies the painter for an outline; the pen's own status wins.
Status BeginStroke(Graphics::Impl& g, const Pen& pen) {
  if (g.Check() != Status::Ok) return g.Check();
  if (pen.GetLastStatus() != Status::Ok) return g.Report(pen.GetLastStatus());
  g.Prepare(DrawKind::Figure);
  g.painter->setPen(ToQPen(pen, g));
  g.painter->setBrush(Qt::NoBrush);
  if (pen.GetBrush()) AnchorBrush(*pen.GetBrush(), g);
  return Status::Ok;
}

Status BeginFill(Graphics::Impl& g, const Brush& brush) {
  if (g.Check() != Status::Ok) return g.Check();
  if (brush.GetLastStatus() != Status::Ok) return g.Report(brush.GetLastStatus());
  g.Prepare(DrawKind::Figure);
  g.painter->setPen(Qt::NoPen);
  g.painter->setBrush(ToQBrush(brush));
  AnchorBrush(brush, g);
  return Status::Ok;
}

Status StrokeLines(Graphics::Impl& g, const Pen& pen, const PointList& points) {
  if (g.Check() != Status::Ok) return g.Check();
  if (points.size() < 2 || !AllFinite(points)) return g.Report(Status::InvalidParameter);
  if (const Status status = BeginStroke(g, pen); status != Status::Ok) return status;
  g.painter->drawPolyline(points.data(), static_cast<int>(points.size()));
  return g.Report(Status::Ok);
}

Status StrokeCurve(Graphics::Impl& g, const Pen& pen, const PointList& points, float tension) {
  if (g.Check() != Status::Ok) return g.Check();
  if (points.size() < 2 || !AllFinite(points) || !std::isfinite(tension)) {
    return g.Report(Status::InvalidParameter);
  }
  if (const Status status = BeginStroke(g, pen); status != Status::Ok) return status;
  g.painter->drawPath(CardinalSpline(points, tension));
  return g.Report(Status::Ok);
}

Status StrokePolygon(Graphics::Impl& g, const Pen& pen, const PointList& points) {
  if (g.Check() != Status::Ok) return g.Check();
  if (points.size() < 2 || !AllFinite(points)) return g.Report(Status::InvalidParameter);
  if (const Status status = BeginStroke(g, pen); status != Status::Ok) return status;
  g.painter->drawPolygon(points.data(), static_cast<int>(points.size()), Qt::OddEvenFill);
  return g.Report(Status::Ok);
}

Status FillPoints(Graphics::Impl& g, const Brush& brush, const PointList& points) {
  if (g.Check() != Status::Ok) return g.Check();
  if (!AllFinite(points)) return g.Report(Status::InvalidParameter);
  if (const Status status = BeginFill(g, brush); status != Status::Ok) return status;
  if (points.size() >= 3) {
    g.painter->drawPolygon(points.data(), static_cast<int>(points.size()), Qt::OddEvenFill);
  }
  return g.Report(Status::Ok);
}

enum class Shape { Rectangle, Ellipse };

Status StrokeShape(Graphics::Impl& g, const Pen& pen, const QRectF& rect, Shape shape) {
  if (g.Check() != Status::Ok) return g.Check();
  if (!IsFiniteRect(rect)) return g.Report(Status::InvalidParameter);
  if (const Status status = BeginStroke(g, pen); status != Status::Ok) return status;
  const QRectF aligned = AlignToPen(rect, pen);
  if (shape == Shape::Rectangle) {
    g.painter->drawRect(aligned);
  } else {
    g.painter->drawEllipse(aligned);
  }
  return g.Report(Status::Ok);
}

Status FillShape(Graphics::Impl& g, const Brush& brush, const QRectF& rect, Shape shape) {
  if (g.Check() != Status::Ok) return g.Check();
  if (!IsFiniteRect(rect)) return g.Report(Status::InvalidParameter);
  if (const Status status = BeginFill(g, brush); status != Status::Ok) return status;
  // An empty or inverted area fills nothing.
  if (rect.width() <= 0 || rect.height() <= 0) return g.Report(Status::Ok);
  if (shape == Shape::Rectangle) {
    g.painter->drawRect(rect);
  } else {
    g.painter->drawEllipse(rect);
  }
  return g.Report(Status::Ok);
}

}  // namespace

Status Graphics::DrawLines(const Pen& pen, std::span<const PointF> points) {
  return StrokeLines(*impl_, pen, ToQPoints(points));
}

Status Graphics::DrawLines(const Pen& pen, std::span<const Point> points) {
  return StrokeLines(*impl_, pen, ToQPoints(points));
}

Status Graphics::DrawCurve(const Pen& pen, std::span<const PointF> points, float tension) {
  return StrokeCurve(*impl_, pen, ToQPoints(points), tension);
}

Status Graphics::DrawCurve(const Pen& pen, std::span<const Point> points, float tension) {
  return StrokeCurve(*impl_, pen, ToQPoints(points), tension);
}

Status Graphics::DrawRectangle(const Pen& pen, const RectF& rect) {
  return StrokeShape(*impl_, pen, ToQRect(rect), Shape::Rectangle);
}

Status Graphics::DrawRectangle(const Pen& pen, const Rect& rect) {
  return StrokeShape(*impl_, pen, ToQRect(rect), Shape::Rectangle);
}

Status Graphics::DrawEllipse(const Pen& pen, const RectF& rect) {
  return StrokeShape(*impl_, pen, ToQRect(rect), Shape::Ellipse);
}

Status Graphics::DrawEllipse(const Pen& pen, const Rect& rect) {
  return StrokeShape(*impl_, pen, ToQRect(rect), Shape::Ellipse);
}

Status Graphics::DrawPolygon(const Pen& pen, std::span<const PointF> points) {
  return StrokePolygon(*impl_, pen, ToQPoints(points));
}

Status Graphics::DrawPolygon(const Pen& pen, std::span<const Point> points) {
  return StrokePolygon(*impl_, pen, ToQPoints(points));
}

Status Graphics::FillRectangle(const Brush& brush, const RectF& rect) {
  return FillShape(*impl_, brush, ToQRect(rect), Shape::Rectangle);
}

Status Graphics::FillRectangle(const Brush& brush, const Rect& rect) {
  return FillShape(*impl_, brush, ToQRect(rect), Shape::Rectangle);
}

Status Graphics::FillEllipse(const Brush& brush, const RectF& rect) {
  return FillShape(*impl_, brush, ToQRect(rect), Shape::Ellipse);
}

Status Graphics::FillEllipse(const Brush& brush, const Rect& rect) {
  return FillShape(*impl_, brush, ToQRect(rect), Shape::Ellipse);
}

Status Graphics::FillPolygon(const Brush& brush, std::span<const PointF> points) {
  return FillPoints(*impl_, brush, ToQPoints(points));
}

Status Graphics::FillPolygon(const Brush& brush, std::span<const Point> points) {
  return FillPoints(*impl_, brush, ToQPoints(points));
}

}  // namespace varn::imaging
