// How a text is placed against its layout origin or rectangle.
#pragma once

#include <cstdint>

#include "platform/imaging/status.h"

namespace varn::imaging {

// Near is left (or top), Far right (or bottom). With a layout rectangle of
// width 0, Center and Far make the text extend to the left of its origin.
enum class StringAlignment : int32_t { Near = 0, Center = 1, Far = 2 };

class StringFormat {
 public:
  StringFormat() = default;

  Status GetLastStatus() const { return status_; }
  StringAlignment GetAlignment() const { return alignment_; }
  StringAlignment GetLineAlignment() const { return lineAlignment_; }
  // A value outside Near..Far gives InvalidParameter and changes nothing.
  Status SetAlignment(StringAlignment alignment);
  Status SetLineAlignment(StringAlignment alignment);

 private:
  StringAlignment alignment_ = StringAlignment::Near;
  StringAlignment lineAlignment_ = StringAlignment::Near;
  Status status_ = Status::Ok;
};

}  // namespace varn::imaging
