#include "platform/imaging/font.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QString>
#include <cmath>
#include <optional>

#include "platform/imaging/imaging_startup.h"

namespace varn::imaging {

namespace {

struct Substitute {
  std::u16string_view name;
  std::u16string_view installed;
};

// Families the controls ask for that this system ships under other names,
// mapped to metric-compatible installed fonts.
constexpr Substitute kSubstitutes[] = {
    {u"ＭＳ Ｐ明朝", u"IPAPMincho"},     {u"ＭＳ 明朝", u"IPAMincho"},
    {u"ＭＳ Ｐゴシック", u"IPAPGothic"}, {u"ＭＳ ゴシック", u"IPAGothic"},
    {u"Verdana", u"DejaVu Sans"},
};

QString ToQString(std::u16string_view text) {
  return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

std::u16string ToU16(const QString& text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                        static_cast<size_t>(text.size()));
}

}  // namespace

FontFamily::FontFamily(std::u16string_view name) : name_(name) {
  if (!IsImagingGuiAvailable()) {
    status_ = Status::GdiplusNotInitialized;
    return;
  }
  if (!name.empty() && QFontDatabase::hasFamily(ToQString(name))) {
    resolved_ = name_;
    return;
  }
  for (const Substitute& substitute : kSubstitutes) {
    if (substitute.name == name && QFontDatabase::hasFamily(ToQString(substitute.installed))) {
      resolved_ = substitute.installed;
      return;
    }
  }
  status_ = Status::FontFamilyNotFound;
}

FontFamily::FontFamily(GenericTag) {
  if (!IsImagingGuiAvailable()) {
    status_ = Status::GdiplusNotInitialized;
    return;
  }
  const QString family = QFontInfo(QFont(QStringLiteral("sans-serif"))).family();
  if (family.isEmpty()) {
    status_ = Status::FontFamilyNotFound;
    return;
  }
  name_ = resolved_ = ToU16(family);
}

const FontFamily* FontFamily::GenericSansSerif() {
  // The first successful lookup is kept for the life of the process; a
  // failed one (no GUI yet) is retried by the next call.
  static std::optional<FontFamily> cached;
  static std::optional<FontFamily> failed;
  if (cached) return &*cached;
  FontFamily lookup{GenericTag{}};
  if (lookup.GetLastStatus() == Status::Ok) {
    cached.emplace(std::move(lookup));
    return &*cached;
  }
  failed.emplace(std::move(lookup));
  return &*failed;
}

Font::Font(const FontFamily& family, float emSize, int32_t style, Unit unit)
    : family_(family.GetResolvedName()), size_(emSize), style_(style), unit_(unit) {
  if (family.GetLastStatus() != Status::Ok) {
    status_ = family.GetLastStatus();
  } else if (!std::isfinite(emSize) || emSize <= 0 ||
             (unit != Unit::Point && unit != Unit::Pixel && unit != Unit::World)) {
    status_ = Status::InvalidParameter;
  } else if (GetPixelSize() > kMaxFontPixels) {
    status_ = Status::ValueOverflow;
  }
}

float Font::GetPixelSize() const { return unit_ == Unit::Point ? size_ * 96.0f / 72.0f : size_; }

}  // namespace varn::imaging
