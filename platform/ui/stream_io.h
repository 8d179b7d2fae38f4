// Whole reads and writes over an IStream, for persisted properties: a stream
// that ends early or takes fewer bytes is an error, never a partial value.
#pragma once

#include <cstdint>

#include "platform/com/stream.h"

namespace varn::ui {

// S_OK with all `size` bytes read; E_FAIL when the stream ended before them.
HRESULT ReadExactly(IStream& stream, void* buffer, ULONG size);
// S_OK with all `size` bytes written; STG_E_MEDIUMFULL when fewer were taken.
HRESULT WriteExactly(IStream& stream, const void* buffer, ULONG size);

// Little-endian 32-bit values, as the Windows layout stores them.
HRESULT ReadUint32(IStream& stream, uint32_t& value);
HRESULT WriteUint32(IStream& stream, uint32_t value);

}  // namespace varn::ui
