// The page's swatches of recently chosen colours: opaque colours in the order
// they were first chosen, the oldest dropped beyond kMaxRecentColors. They
// belong to the control, not to the drawing history.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace varn::drawing {

inline constexpr size_t kMaxRecentColors = 9;

class RecentColors {
 public:
  // A colour already listed keeps its place.
  void Remember(uint32_t argb);
  // The entry at index, oldest first; nullopt outside the list.
  std::optional<uint32_t> At(int32_t index) const;
  size_t Count() const { return colors_.size(); }

 private:
  std::vector<uint32_t> colors_;
};

}  // namespace varn::drawing
