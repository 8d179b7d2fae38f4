// Choosing an image encoder by the MIME type of the files it writes.
#pragma once

#include <string_view>

#include "platform/com/types.h"

namespace varn {

// Index of the first installed encoder whose MIME type is exactly `mimeType`
// (case-sensitive), its class identifier stored in *clsid; -1 when there is
// none, *clsid then untouched. clsid may be null to ask for the index only.
int FindEncoderByMimeType(std::u16string_view mimeType, CLSID* clsid);

}  // namespace varn
