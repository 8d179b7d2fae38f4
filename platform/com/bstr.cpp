#include "platform/com/bstr.h"

#include <cstdlib>
#include <cstring>

namespace {

// The byte length stands in the four bytes before the first character.
constexpr size_t kPrefixBytes = sizeof(uint32_t);

BSTR AllocBytes(const void* bytes, uint32_t byteLength) {
  // Prefix, characters, and a terminating 0 character.
  void* block = std::malloc(kPrefixBytes + byteLength + sizeof(OLECHAR));
  if (block == nullptr) return nullptr;
  auto* base = static_cast<unsigned char*>(block);
  std::memcpy(base, &byteLength, kPrefixBytes);
  if (bytes != nullptr) {
    std::memcpy(base + kPrefixBytes, bytes, byteLength);
  } else {
    std::memset(base + kPrefixBytes, 0, byteLength);
  }
  std::memset(base + kPrefixBytes + byteLength, 0, sizeof(OLECHAR));
  return reinterpret_cast<BSTR>(base + kPrefixBytes);
}

}  // namespace

extern "C" {

BSTR SysAllocString(const OLECHAR* text) {
  if (text == nullptr) return nullptr;
  size_t length = 0;
  while (text[length] != 0) {
    if (length >= varn::com::kMaxBstrLength) return nullptr;
    ++length;
  }
  return SysAllocStringLen(text, static_cast<UINT>(length));
}

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
  if (length > varn::com::kMaxBstrLength) return nullptr;
  return AllocBytes(text, length * static_cast<uint32_t>(sizeof(OLECHAR)));
}

void SysFreeString(BSTR text) {
  if (text == nullptr) return;
  std::free(reinterpret_cast<unsigned char*>(text) - kPrefixBytes);
}

UINT SysStringByteLen(BSTR text) {
  if (text == nullptr) return 0;
  uint32_t byteLength = 0;
  std::memcpy(&byteLength, reinterpret_cast<unsigned char*>(text) - kPrefixBytes, kPrefixBytes);
  return byteLength;
}

UINT SysStringLen(BSTR text) { return SysStringByteLen(text) / sizeof(OLECHAR); }

}  // extern "C"

namespace varn::com {

std::u16string_view BstrView(BSTR text) {
  if (text == nullptr) return {};
  return {text, SysStringLen(text)};
}

std::u16string ToU16String(BSTR text) { return std::u16string(BstrView(text)); }

BSTR AllocBstr(std::u16string_view text) {
  if (text.size() > kMaxBstrLength) return nullptr;
  return SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

Bstr Bstr::Attach(BSTR text) { return Bstr(text); }

Bstr Bstr::FromText(std::u16string_view text) { return Bstr(AllocBstr(text)); }

Bstr Bstr::Copy(BSTR text) {
  if (text == nullptr) return Bstr();
  return Bstr(AllocBytes(text, SysStringByteLen(text)));
}

Bstr::Bstr(Bstr&& other) noexcept : text_(other.Detach()) {}

Bstr& Bstr::operator=(Bstr&& other) noexcept {
  if (this != &other) {
    Reset();
    text_ = other.Detach();
  }
  return *this;
}

Bstr::~Bstr() { Reset(); }

BSTR Bstr::Detach() {
  BSTR text = text_;
  text_ = nullptr;
  return text;
}

BSTR* Bstr::Receive() {
  Reset();
  return &text_;
}

void Bstr::Reset() {
  SysFreeString(text_);
  text_ = nullptr;
}

}  // namespace varn::com
