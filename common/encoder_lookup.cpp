#include "common/encoder_lookup.h"

#include "platform/imaging/image_codec.h"

namespace varn {

int FindEncoderByMimeType(std::u16string_view mimeType, CLSID* clsid) {
  const auto& encoders = imaging::GetImageEncoders();
  for (std::size_t i = 0; i < encoders.size(); ++i) {
    if (encoders[i].MimeType != mimeType) continue;
    if (clsid != nullptr) *clsid = encoders[i].Clsid;
    return static_cast<int>(i);
  }
  return -1;
}

}  // namespace varn
