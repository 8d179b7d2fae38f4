// The editor's properties: most read or change the current node of the
// current picture, and tell the page what changed.
#include <algorithm>
#include <new>

#include "common/color_string.h"
#include "imagedoc/frame.h"
#include "imageedit/image_edit_control.h"
#include "platform/com/bstr.h"

namespace varn::imageedit {
namespace {

using imagedoc::FontValue;

HRESULT ReturnText(std::u16string_view text, BSTR* value) {
  *value = com::AllocBstr(text);
  return *value == nullptr ? E_OUTOFMEMORY : S_OK;
}

HRESULT ReturnOptionalText(const std::optional<std::u16string>& text, BSTR* value) {
  if (!text) {
    *value = nullptr;
    return S_OK;
  }
  return ReturnText(*text, value);
}

std::optional<std::u16string_view> OptionalText(BSTR value) {
  if (value == nullptr) return std::nullopt;
  return com::BstrView(value);
}

// Quarter turns are the only ones a picture takes.
constexpr int32_t kQuarterTurn = 90;

// The bit of an effect code in GetEffectFlag's answer; codes past the
// answer's 32 bits have none.
constexpr int32_t kEffectFlagBits = 32;

// The part of a page address before this names the caption under frames.
constexpr std::u16string_view kCaptionEnd = u".varn";

}  // namespace

template <typename Reader>
HRESULT CImageEditControl::GetNodeInt(int32_t* value, Reader read) {
  if (!HasImage()) return S_FALSE;
  *value = read(Node());
  return S_OK;
}

// A step that found nothing to do repaints nothing.
template <typename Change>
HRESULT CImageEditControl::ChangeAndRepaint(Change change) {
  if (!HasImage()) return S_FALSE;
  try {
    if (change(Node()) != 0) Repaint();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

// ---- Size, turns, history ----

HRESULT CImageEditControl::get_imageSizeType(int32_t* value) {
  *value = HasImage() ? Node().sizeType : -1;
  return S_OK;
}

// The free size is set through imageWidth alone.
HRESULT CImageEditControl::put_imageSizeType(int32_t value) {
  return Guarded([&]() -> HRESULT {
    if (!HasImage() || value == imagedoc::kSizeFree) return S_FALSE;
    Node().SetSizeType(value);
    ReportCurrentSize();
    Repaint();
    return S_OK;
  });
}

HRESULT CImageEditControl::get_imageWidth(int32_t* value) {
  *value = HasImage() ? static_cast<int32_t>(Node().workingWidth) : 0;
  return S_OK;
}

// A picture with no width could never be sized back.
HRESULT CImageEditControl::put_imageWidth(int32_t value) {
  return Guarded([&]() -> HRESULT {
    if (!HasImage() || value <= 0) return S_FALSE;
    Node().SetWidth(value);
    ReportCurrentSize();
    Repaint();
    return S_OK;
  });
}

HRESULT CImageEditControl::RotateImage(int32_t degrees) {
  return Guarded([&]() -> HRESULT {
    if (!HasImage() || degrees % kQuarterTurn != 0) return S_FALSE;
    AbandonDrag();
    Node().Rotate(degrees);
    ReportCurrentSize();
    Repaint();
    Fire(kOnUpdateData);
    return S_OK;
  });
}

HRESULT CImageEditControl::UndoRedo(int32_t type) {
  return Guarded([&]() -> HRESULT {
    if (!HasImage()) return S_FALSE;
    if (images_[currentIndex_]->UndoRedo(type) == 0) return S_OK;
    // The drag's points belong to the state just left.
    AbandonDrag();
    ReportCurrentSize();
    FireTab();
    Repaint();
    return S_OK;
  });
}

HRESULT CImageEditControl::ResetImage() {
  return Guarded([&]() -> HRESULT {
    if (!HasImage()) return S_FALSE;
    AbandonDrag();
    Node().Reset();
    ReportCurrentSize();
    Repaint();
    Fire(kOnUpdateData);
    return S_OK;
  });
}

// ---- Tools and pens ----

HRESULT CImageEditControl::get_toolType(int32_t* value) {
  return GetNodeInt(value, [](const imagedoc::CHistoryNode& node) { return node.toolType; });
}

HRESULT CImageEditControl::put_toolType(int32_t value) {
  if (!HasImage()) return S_FALSE;
  Node().toolType = value;
  Fire(kOnChangeTab, value);
  return S_OK;
}

HRESULT CImageEditControl::get_mozaicSize(int32_t* value) {
  *value = tools_.MozaicSize();
  return S_OK;
}

HRESULT CImageEditControl::put_mozaicSize(int32_t value) {
  tools_.SetMozaicSize(value);
  return S_OK;
}

HRESULT CImageEditControl::get_drawPenWidth(int32_t* value) {
  return GetNodeInt(value, [](const imagedoc::CHistoryNode& node) { return node.penWidth; });
}

HRESULT CImageEditControl::put_drawPenWidth(int32_t value) {
  if (!HasImage()) return S_FALSE;
  Node().penWidth = value;
  return S_OK;
}

HRESULT CImageEditControl::get_eraserPenWidth(int32_t* value) {
  return GetNodeInt(value, [](const imagedoc::CHistoryNode& node) { return node.eraserWidth; });
}

HRESULT CImageEditControl::put_eraserPenWidth(int32_t value) {
  if (!HasImage()) return S_FALSE;
  Node().eraserWidth = value;
  return S_OK;
}

HRESULT CImageEditControl::get_drawPenColor(BSTR* value) {
  if (!HasImage()) return S_FALSE;
  return ReturnText(FormatColorString(Node().penColor), value);
}

HRESULT CImageEditControl::put_drawPenColor(BSTR value) {
  if (!HasImage()) return S_FALSE;
  uint32_t color = 0;
  const HRESULT parsed = ParseColorString(com::BstrView(value), &color);
  if (FAILED(parsed)) return parsed;
  // A colour already listed keeps its place; a new one pushes out the oldest.
  if (std::find(favoriteColors_.begin(), favoriteColors_.end(), color) == favoriteColors_.end()) {
    favoriteColors_.push_back(color);
    if (favoriteColors_.size() > kMaxFavoriteColors) favoriteColors_.erase(favoriteColors_.begin());
  }
  Node().penColor = color;
  Fire(kOnUpdateData);
  return S_OK;
}

HRESULT CImageEditControl::GetFavoriteColor(int32_t index, BSTR* color) {
  const bool listed = index >= 0 && static_cast<size_t>(index) < favoriteColors_.size();
  return ReturnText(FormatColorString(listed ? favoriteColors_[index] : 0u), color);
}

// ---- Frame, signature, stamp ----

HRESULT CImageEditControl::get_frameIndex(int32_t* value) {
  return GetNodeInt(value, [](const imagedoc::CHistoryNode& node) { return node.frameIndex; });
}

HRESULT CImageEditControl::put_frameIndex(int32_t value) {
  return Guarded([&]() -> HRESULT {
    if (!HasImage() || value < 0 || value >= imagedoc::kFrameCount) return S_FALSE;
    if (Node().SetFrameIndex(value) == 0) return S_OK;
    ReportCurrentSize();
    Repaint();
    Fire(kOnUpdateData);
    return S_OK;
  });
}

HRESULT CImageEditControl::get_frameUseUrl(int32_t* value) {
  return GetNodeInt(value, [](const imagedoc::CHistoryNode& node) { return node.frameUseUrl; });
}

HRESULT CImageEditControl::put_frameUseUrl(int32_t value) {
  return Guarded([&]() -> HRESULT {
    if (!HasImage()) return S_FALSE;
    if (Node().SetFrameUseUrl(value) == 0) return S_OK;
    ReportCurrentSize();
    Repaint();
    Fire(kOnUpdateData);
    return S_OK;
  });
}

HRESULT CImageEditControl::get_signFilePath(BSTR* value) {
  if (!HasImage()) return S_FALSE;
  return ReturnOptionalText(Node().signFilePath, value);
}

HRESULT CImageEditControl::put_signFilePath(BSTR value) {
  if (!HasImage()) return S_FALSE;
  try {
    Node().SetSignPath(OptionalText(value));
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  Repaint();
  Fire(kOnUpdateData);
  return S_OK;
}

// Setters of the signature and stamp that tell the page only of a change.
#define VARN_SIGN_PROPERTY(name, field, setter)                                              \
  HRESULT CImageEditControl::get_##name(int32_t* value) {                                    \
    return GetNodeInt(value, [](const imagedoc::CHistoryNode& node) { return node.field; }); \
  }                                                                                          \
  HRESULT CImageEditControl::put_##name(int32_t value) {                                     \
    if (!HasImage()) return S_FALSE;                                                         \
    if (Node().setter(value) == 0) return S_OK;                                              \
    Repaint();                                                                               \
    Fire(kOnUpdateData);                                                                     \
    return S_OK;                                                                             \
  }

VARN_SIGN_PROPERTY(signAlign, signAlign, SetSignAlign)
VARN_SIGN_PROPERTY(signIndex, signKind, SetSignIndex)
VARN_SIGN_PROPERTY(signStampIndex, stampShape, SetStampIndex)

#undef VARN_SIGN_PROPERTY

HRESULT CImageEditControl::get_signStampText(BSTR* value) {
  if (!HasImage()) return S_FALSE;
  return ReturnOptionalText(Node().stampText, value);
}

HRESULT CImageEditControl::put_signStampText(BSTR value) {
  if (!HasImage()) return S_FALSE;
  try {
    if (Node().SetStampText(OptionalText(value)) == 0) return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  Repaint();
  Fire(kOnUpdateData);
  return S_OK;
}

// ---- Effects ----

HRESULT CImageEditControl::SetEffect(int32_t effect, int32_t add) {
  return ChangeAndRepaint(
      [effect, add](imagedoc::CHistoryNode& node) { return node.ChangeEffect(effect, add); });
}

HRESULT CImageEditControl::GetEffectFlag(int32_t* flags) {
  if (!HasImage()) return S_FALSE;
  uint32_t bits = 0;
  for (const int32_t code : Node().effects) {
    if (code >= 0 && code < kEffectFlagBits) bits |= 1u << static_cast<uint32_t>(code);
  }
  *flags = static_cast<int32_t>(bits);
  return S_OK;
}

// ---- Texts and fonts ----

HRESULT CImageEditControl::get_textCurrentText(BSTR* value) {
  if (!HasImage()) return S_FALSE;
  return ReturnOptionalText(Node().GetCurrentText(), value);
}

HRESULT CImageEditControl::put_textCurrentText(BSTR value) {
  return ChangeAndRepaint(
      [value](imagedoc::CHistoryNode& node) { return node.SetCurrentText(OptionalText(value)); });
}

HRESULT CImageEditControl::get_textCartoonIndex(int32_t* value) {
  return GetNodeInt(value,
                    [](const imagedoc::CHistoryNode& node) { return node.GetCartoonIndex(); });
}

HRESULT CImageEditControl::put_textCartoonIndex(int32_t value) {
  return Guarded([&]() -> HRESULT {
    if (!HasImage()) return S_FALSE;
    Node().SetCartoonIndex(value);
    Repaint();
    Fire(kOnUpdateData);
    return S_OK;
  });
}

HRESULT CImageEditControl::ApplyCurrentText() {
  return Guarded([&]() -> HRESULT {
    if (!HasImage()) return S_FALSE;
    if (Node().ReleaseCurrentText() == 0) return S_OK;
    Repaint();
    Fire(kOnUpdateData);
    return S_OK;
  });
}

// Fonts are chosen through the font properties; the method stays for pages
// that call it.
HRESULT CImageEditControl::SelectFont() { return S_OK; }

HRESULT CImageEditControl::get_fontName(BSTR* value) {
  if (!HasImage()) return S_FALSE;
  return ReturnText(Node().GetFontName(), value);
}

HRESULT CImageEditControl::put_fontName(BSTR value) {
  return ChangeAndRepaint(
      [value](imagedoc::CHistoryNode& node) { return node.SetFontName(com::BstrView(value)); });
}

HRESULT CImageEditControl::GetFont(FontValue which, int32_t* value) {
  return GetNodeInt(
      value, [which](const imagedoc::CHistoryNode& node) { return node.GetFontValue(which); });
}

HRESULT CImageEditControl::PutFont(FontValue which, int32_t value) {
  return ChangeAndRepaint(
      [which, value](imagedoc::CHistoryNode& node) { return node.SetFontValue(which, value); });
}

HRESULT CImageEditControl::GetFontColor(FontValue which, BSTR* value) {
  if (!HasImage()) return S_FALSE;
  return ReturnText(FormatColorString(static_cast<uint32_t>(Node().GetFontValue(which))), value);
}

HRESULT CImageEditControl::PutFontColor(FontValue which, BSTR value) {
  if (!HasImage()) return S_FALSE;
  uint32_t color = 0;
  const HRESULT parsed = ParseColorString(com::BstrView(value), &color);
  if (FAILED(parsed)) return parsed;
  return PutFont(which, static_cast<int32_t>(color & 0xFFFFFFu));
}

HRESULT CImageEditControl::get_fontSize(int32_t* value) { return GetFont(FontValue::Size, value); }
HRESULT CImageEditControl::put_fontSize(int32_t value) { return PutFont(FontValue::Size, value); }
HRESULT CImageEditControl::get_fontAlign(int32_t* value) {
  return GetFont(FontValue::Align, value);
}
HRESULT CImageEditControl::put_fontAlign(int32_t value) { return PutFont(FontValue::Align, value); }
HRESULT CImageEditControl::get_fontStyle(int32_t* value) {
  return GetFont(FontValue::Style, value);
}
HRESULT CImageEditControl::put_fontStyle(int32_t value) { return PutFont(FontValue::Style, value); }
HRESULT CImageEditControl::get_fontTransparency(int32_t* value) {
  return GetFont(FontValue::Transparency, value);
}
HRESULT CImageEditControl::put_fontTransparency(int32_t value) {
  return PutFont(FontValue::Transparency, value);
}
HRESULT CImageEditControl::get_fontColor(BSTR* value) {
  return GetFontColor(FontValue::Color, value);
}
HRESULT CImageEditControl::put_fontColor(BSTR value) {
  return PutFontColor(FontValue::Color, value);
}
HRESULT CImageEditControl::get_fontBgColor(BSTR* value) {
  return GetFontColor(FontValue::BackgroundColor, value);
}
HRESULT CImageEditControl::put_fontBgColor(BSTR value) {
  return PutFontColor(FontValue::BackgroundColor, value);
}

// ---- Comment and upload ----

// The node keeps no null apart from empty: an empty comment reads as none.
HRESULT CImageEditControl::get_imageComment(BSTR* value) {
  if (!HasImage()) return S_FALSE;
  if (Node().comment.empty()) {
    *value = nullptr;
    return S_OK;
  }
  return ReturnText(Node().comment, value);
}

HRESULT CImageEditControl::put_imageComment(BSTR value) {
  if (!HasImage()) return S_FALSE;
  try {
    Node().comment.assign(com::BstrView(value));
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

HRESULT CImageEditControl::get_imageCommentAlign(int32_t* value) {
  return GetNodeInt(value, [](const imagedoc::CHistoryNode& node) { return node.commentAlign; });
}

HRESULT CImageEditControl::put_imageCommentAlign(int32_t value) {
  if (!HasImage()) return S_FALSE;
  Node().commentAlign = value;
  return S_OK;
}

// Both can only be written: a page never reads its key or address back.
HRESULT CImageEditControl::get_FileKey(BSTR* /*value*/) { return S_FALSE; }
HRESULT CImageEditControl::get_ActionPage(BSTR* /*value*/) { return S_FALSE; }

HRESULT CImageEditControl::put_FileKey(BSTR value) {
  try {
    fileKey_.assign(com::BstrView(value));
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

// The site's name before ".varn" in its address becomes the caption under
// frames; an address without it keeps the caption there was.
HRESULT CImageEditControl::put_ActionPage(BSTR value) {
  try {
    actionPage_.assign(com::BstrView(value));
    const size_t end = actionPage_.find(kCaptionEnd);
    if (end != std::u16string::npos) {
      imagedoc::SetFrameCaptionText(std::u16string_view(actionPage_).substr(0, end));
      // Pictures rendered with a caption band show the old text until they
      // render again.
      for (const auto& image : images_) {
        imagedoc::CHistoryNode& node = image->Current();
        if (node.frameUseUrl != 0) node.renderedImage.reset();
      }
      if (HasImage()) Repaint();
    }
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

HRESULT CImageEditControl::put_Cookie(BSTR value) {
  try {
    cookie_.assign(com::BstrView(value));
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

}  // namespace varn::imageedit
