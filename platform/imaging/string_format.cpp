#include "platform/imaging/string_format.h"

namespace varn::imaging {

namespace {

bool IsValid(StringAlignment alignment) {
  const int raw = static_cast<int>(alignment);
  return raw >= 0 && raw <= 2;
}

}  // namespace

Status StringFormat::SetAlignment(StringAlignment alignment) {
  if (!IsValid(alignment)) return Status::InvalidParameter;
  alignment_ = alignment;
  return Status::Ok;
}

Status StringFormat::SetLineAlignment(StringAlignment alignment) {
  if (!IsValid(alignment)) return Status::InvalidParameter;
  lineAlignment_ = alignment;
  return Status::Ok;
}

}  // namespace varn::imaging
