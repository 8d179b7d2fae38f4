// The stroke preview kept between paints (StrokeOverlay).
#include <algorithm>
#include <cmath>
#include <vector>

#include "imageedit/edit_tools.h"
#include "platform/imaging/bitmap_data.h"
#include "platform/imaging/pen.h"

namespace varn::imageedit {
namespace {

using imaging::Point;
using imaging::Rect;

// The overlay grows by this much beyond what a paint needs, so that a stroke
// heading somewhere does not make a new bitmap at every paint.
constexpr int64_t kGrowth = 64;

Rect FromEdges(int64_t left, int64_t top, int64_t right, int64_t bottom) {
  if (right <= left || bottom <= top) return {};
  return {static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(right - left),
          static_cast<int32_t>(bottom - top)};
}

Rect Intersect(const Rect& a, const Rect& b) {
  return FromEdges(std::max<int64_t>(a.X, b.X), std::max<int64_t>(a.Y, b.Y),
                   std::min(a.Right(), b.Right()), std::min(a.Bottom(), b.Bottom()));
}

Rect Union(const Rect& a, const Rect& b) {
  if (a.IsEmptyArea()) return b;
  if (b.IsEmptyArea()) return a;
  return FromEdges(std::min<int64_t>(a.X, b.X), std::min<int64_t>(a.Y, b.Y),
                   std::max(a.Right(), b.Right()), std::max(a.Bottom(), b.Bottom()));
}

Rect Grown(const Rect& r, int64_t by) {
  return FromEdges(int64_t{r.X} - by, int64_t{r.Y} - by, r.Right() + by, r.Bottom() + by);
}

// Whole pixels a segment's stroke can touch: half the width, and a pixel of
// anti-aliasing and rounding on either side.
int64_t Reach(float width) { return static_cast<int64_t>(std::ceil(width / 2)) + 2; }

Rect SegmentBox(Point a, Point b, int64_t reach) {
  return FromEdges(int64_t{std::min(a.X, b.X)} - reach, int64_t{std::min(a.Y, b.Y)} - reach,
                   int64_t{std::max(a.X, b.X)} + reach + 1,
                   int64_t{std::max(a.Y, b.Y)} + reach + 1);
}

imaging::Pen StrokePen(const StrokeOverlay::Style& style) {
  imaging::Pen pen(style.color, style.width);
  pen.SetStartCap(imaging::LineCap::Round);
  pen.SetEndCap(imaging::LineCap::Round);
  pen.SetLineJoin(imaging::LineJoin::Round);
  pen.SetAlignment(imaging::PenAlignment::Center);
  return pen;
}

// Coverages add as opaque strokes drawn over each other would: a + b - ab.
void MergeCoverage(imaging::Bitmap& into, imaging::Bitmap& from) {
  const Rect whole{0, 0, static_cast<int32_t>(into.GetWidth()),
                   static_cast<int32_t>(into.GetHeight())};
  imaging::BitmapData target;
  imaging::BitmapData source;
  if (into.LockBits(whole, imaging::ImageLockMode::ReadWrite, imaging::PixelFormat::Format32bppARGB,
                    &target) != imaging::Status::Ok) {
    return;
  }
  if (from.LockBits(whole, imaging::ImageLockMode::Read, imaging::PixelFormat::Format32bppARGB,
                    &source) != imaging::Status::Ok) {
    return;
  }
  for (int32_t y = 0; y < whole.Height; ++y) {
    uint32_t* row = target.Row(y);
    const uint32_t* other = source.ConstRow(y);
    for (int32_t x = 0; x < whole.Width; ++x) {
      const uint32_t a = row[x] >> 24;
      const uint32_t b = other[x] >> 24;
      row[x] = (a + b - (a * b + 127) / 255) << 24;
    }
  }
}

// A coverage mask becomes the pen's colour at coverage times the pen's alpha.
void ColourMask(imaging::Bitmap& mask, imaging::ARGB color) {
  const Rect whole{0, 0, static_cast<int32_t>(mask.GetWidth()),
                   static_cast<int32_t>(mask.GetHeight())};
  imaging::BitmapData data;
  if (mask.LockBits(whole, imaging::ImageLockMode::ReadWrite, imaging::PixelFormat::Format32bppARGB,
                    &data) != imaging::Status::Ok) {
    return;
  }
  const uint32_t alpha = color >> 24;
  const uint32_t rgb = color & 0x00FFFFFFu;
  for (int32_t y = 0; y < whole.Height; ++y) {
    uint32_t* row = data.Row(y);
    for (int32_t x = 0; x < whole.Width; ++x) {
      const uint32_t coverage = (row[x] >> 24) * alpha;
      row[x] = coverage == 0 ? 0 : ((coverage + 127) / 255) << 24 | rgb;
    }
  }
}

}  // namespace

void StrokeOverlay::Clear() {
  bitmap_.reset();
  area_ = drawn_ = Rect{};
  drawnPoints_ = 0;
}

void StrokeOverlay::Draw(imaging::Graphics& graphics, std::span<const Point> points,
                         const Style& style, imaging::Size picture) {
  // A width the pen refuses, or one too large to be a stroke, draws nothing.
  if (points.size() < 2 || !(style.width > 0) || !(style.width < 1.0e6f)) return;
  const bool grown = bitmap_ && style == style_ && picture == picture_ && drawnPoints_ > 0 &&
                     points.size() >= drawnPoints_ && points[drawnPoints_ - 1] == lastDrawn_;
  if (!grown) {
    Clear();
    style_ = style;
    picture_ = picture;
  }
  const size_t first = grown ? drawnPoints_ - 1 : 0;
  if (first + 1 < points.size()) {
    const int64_t reach = Reach(style.width);
    Rect box;
    for (size_t i = first + 1; i < points.size(); ++i) {
      box = Union(box, SegmentBox(points[i - 1], points[i], reach));
    }
    box = Intersect(box, Rect{0, 0, picture.Width, picture.Height});
    if (!box.IsEmptyArea()) {
      if (!Cover(box, picture)) {
        // Without a bitmap of its own the preview is the whole polyline.
        Clear();
        graphics.DrawLines(StrokePen(style), points);
        return;
      }
      Redraw(box, points);
      drawn_ = Union(drawn_, box);
    }
    drawnPoints_ = points.size();
    lastDrawn_ = points.back();
  }
  if (drawn_.IsEmptyArea()) return;
  graphics.DrawImage(*bitmap_, drawn_, drawn_.X - area_.X, drawn_.Y - area_.Y, drawn_.Width,
                     drawn_.Height);
}

bool StrokeOverlay::Cover(const Rect& area, imaging::Size picture) {
  if (bitmap_ && Intersect(area, area_) == area) return true;
  const Rect wanted =
      Intersect(Grown(Union(area_, area), kGrowth), Rect{0, 0, picture.Width, picture.Height});
  auto bitmap = std::make_unique<imaging::Bitmap>(wanted.Width, wanted.Height,
                                                  imaging::PixelFormat::Format32bppARGB);
  if (bitmap->GetLastStatus() != imaging::Status::Ok) return false;
  if (bitmap_) {
    imaging::Graphics graphics(*bitmap);
    graphics.SetCompositingMode(imaging::CompositingMode::SourceCopy);
    graphics.DrawImage(*bitmap_, area_.X - wanted.X, area_.Y - wanted.Y);
  }
  bitmap_ = std::move(bitmap);
  area_ = wanted;
  return true;
}

// The box is drawn in a mask of its own and copied in, since the segments
// drawn must replace what the box held, not blend with it. Runs of segments
// are drawn opaque, their coverages merged and only then given the
// pen's alpha, so that a translucent stroke crossing itself is not darker
// where it crosses, as in one polyline.
void StrokeOverlay::Redraw(const Rect& box, std::span<const Point> points) {
  imaging::Bitmap mask(box.Width, box.Height, imaging::PixelFormat::Format32bppARGB);
  std::unique_ptr<imaging::Bitmap> runMask;
  const imaging::Pen pen = StrokePen({style_.color | 0xFF000000u, style_.width, style_.antiAlias});
  const int64_t reach = Reach(style_.width);
  bool first = true;
  std::vector<Point> run;
  const auto flush = [&] {
    if (run.size() < 2) {
      run.clear();
      return;
    }
    if (!first && !runMask) {
      runMask = std::make_unique<imaging::Bitmap>(box.Width, box.Height,
                                                  imaging::PixelFormat::Format32bppARGB);
    }
    imaging::Bitmap& target = first ? mask : *runMask;
    {
      imaging::Graphics graphics(target);
      if (!first) graphics.Clear(0);
      graphics.TranslateTransform(-static_cast<float>(box.X), -static_cast<float>(box.Y));
      graphics.SetSmoothingMode(style_.antiAlias ? imaging::SmoothingMode::AntiAlias
                                                 : imaging::SmoothingMode::None);
      graphics.DrawLines(pen, std::span<const Point>(run));
    }
    if (!first) MergeCoverage(mask, *runMask);
    first = false;
    run.clear();
  };
  for (size_t i = 1; i < points.size(); ++i) {
    if (Intersect(SegmentBox(points[i - 1], points[i], reach), box).IsEmptyArea()) {
      flush();
      continue;
    }
    // Consecutive segments go as one polyline, whose joins blend once.
    if (run.empty()) run.push_back(points[i - 1]);
    run.push_back(points[i]);
  }
  flush();
  ColourMask(mask, style_.color);
  imaging::Graphics graphics(*bitmap_);
  graphics.SetCompositingMode(imaging::CompositingMode::SourceCopy);
  graphics.DrawImage(mask, box.X - area_.X, box.Y - area_.Y);
}

}  // namespace varn::imageedit
