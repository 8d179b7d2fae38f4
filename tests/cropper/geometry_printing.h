// How the tests print rectangles when a comparison fails.
#pragma once

#include <ostream>

#include "platform/com/types.h"
#include "platform/imaging/geometry.h"
#include "platform/ui/rect_ops.h"

inline std::ostream& operator<<(std::ostream& out, const RECT& r) {
  return out << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

namespace varn::imaging {
inline std::ostream& operator<<(std::ostream& out, const Rect& r) {
  return out << "{" << r.X << ", " << r.Y << ", " << r.Width << ", " << r.Height << "}";
}
}  // namespace varn::imaging
