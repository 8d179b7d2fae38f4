#include "platform/ui/stream_io.h"

namespace varn::ui {

HRESULT ReadExactly(IStream& stream, void* buffer, ULONG size) {
  ULONG total = 0;
  auto* bytes = static_cast<uint8_t*>(buffer);
  while (total < size) {
    ULONG read = 0;
    const HRESULT hr = stream.Read(bytes + total, size - total, &read);
    if (FAILED(hr)) return hr;
    // A stream may hand out less than asked; only nothing at all means its end.
    if (read == 0 || read > size - total) return E_FAIL;
    total += read;
  }
  return S_OK;
}

HRESULT WriteExactly(IStream& stream, const void* buffer, ULONG size) {
  ULONG total = 0;
  const auto* bytes = static_cast<const uint8_t*>(buffer);
  while (total < size) {
    ULONG written = 0;
    const HRESULT hr = stream.Write(bytes + total, size - total, &written);
    if (FAILED(hr)) return hr;
    if (written == 0 || written > size - total) return STG_E_MEDIUMFULL;
    total += written;
  }
  return S_OK;
}

HRESULT ReadUint32(IStream& stream, uint32_t& value) {
  uint8_t bytes[4];
  const HRESULT hr = ReadExactly(stream, bytes, sizeof bytes);
  if (FAILED(hr)) return hr;
  value = uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
          uint32_t{bytes[3]} << 24;
  return S_OK;
}

HRESULT WriteUint32(IStream& stream, uint32_t value) {
  const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                            static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
  return WriteExactly(stream, bytes, sizeof bytes);
}

}  // namespace varn::ui
