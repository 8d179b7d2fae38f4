// Rectangle arithmetic in the Win32 convention: left and top inside, right and
// bottom outside; a rectangle with right <= left or bottom <= top is empty.
#pragma once

#include <algorithm>

#include "platform/com/types.h"

// RECT is a global type; its comparison lives beside it so lookup finds it.
constexpr bool operator==(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

namespace varn::ui {

constexpr bool IsEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

constexpr RECT Intersect(const RECT& a, const RECT& b) {
  const RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
               std::min(a.bottom, b.bottom)};
  return IsEmpty(r) ? RECT{0, 0, 0, 0} : r;
}

// The smallest rectangle holding both; an empty side does not count.
constexpr RECT Union(const RECT& a, const RECT& b) {
  if (IsEmpty(a)) {
    return IsEmpty(b) ? RECT{0, 0, 0, 0} : b;
  }
  if (IsEmpty(b)) {
    return a;
  }
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
          std::max(a.bottom, b.bottom)};
}

constexpr LONG Width(const RECT& r) { return r.right - r.left; }
constexpr LONG Height(const RECT& r) { return r.bottom - r.top; }

}  // namespace varn::ui
