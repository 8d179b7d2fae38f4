#include "drawing/recent_colors.h"

#include <algorithm>

namespace varn::drawing {

void RecentColors::Remember(uint32_t argb) {
  if (std::find(colors_.begin(), colors_.end(), argb) != colors_.end()) return;
  colors_.push_back(argb);
  if (colors_.size() > kMaxRecentColors) colors_.erase(colors_.begin());
}

std::optional<uint32_t> RecentColors::At(int32_t index) const {
  if (index < 0 || static_cast<size_t>(index) >= colors_.size()) return std::nullopt;
  return colors_[static_cast<size_t>(index)];
}

}  // namespace varn::drawing
