// The tool settings, colours, text properties and upload strings of the
// drawing board's scripting surface.
#include <optional>

#include "common/color_string.h"
#include "drawing/drawing_control.h"
#include "drawing/drawing_text.h"

namespace varn::drawing {
namespace {

// Transparency properties keep the page's value in the top byte of the alpha
// field; only its low 8 bits count.
int32_t AlphaField(int32_t opacity) {
  return static_cast<int32_t>(static_cast<uint32_t>(opacity) << 24);
}
int32_t Opacity(int32_t alphaField) {
  return static_cast<int32_t>(static_cast<uint32_t>(alphaField) >> 24);
}

HRESULT ReturnText(std::u16string_view text, BSTR* value) {
  *value = com::AllocBstr(text);
  return *value == nullptr ? E_OUTOFMEMORY : S_OK;
}

}  // namespace

HRESULT CDrawingControl::PutString(BSTR value, std::u16string& field) {
  field.assign(com::BstrView(value));
  return S_OK;
}

HRESULT CDrawingControl::GetString(const std::u16string& field, BSTR* value) {
  return ReturnText(field, value);
}

HRESULT CDrawingControl::get_toolType(int32_t* value) {
  *value = Current().toolType;
  return S_OK;
}

HRESULT CDrawingControl::put_toolType(int32_t value) {
  if (value == Current().toolType) return S_OK;
  Current().toolType = value;
  Fire(kOnChangeTab, value);
  return S_OK;
}

#define VARN_STATE_PROPERTY(name, field)                \
  HRESULT CDrawingControl::get_##name(int32_t* value) { \
    *value = Current().field;                           \
    return S_OK;                                        \
  }                                                     \
  HRESULT CDrawingControl::put_##name(int32_t value) {  \
    Current().field = value;                            \
    return S_OK;                                        \
  }

#define VARN_OPACITY_PROPERTY(name, field)              \
  HRESULT CDrawingControl::get_##name(int32_t* value) { \
    *value = Opacity(Current().field);                  \
    return S_OK;                                        \
  }                                                     \
  HRESULT CDrawingControl::put_##name(int32_t value) {  \
    Current().field = AlphaField(value);                \
    return S_OK;                                        \
  }

// The widths are stored as the page gives them; the tools clamp them when
// they size a pen or a filter square.
VARN_STATE_PROPERTY(penType, penType)
VARN_STATE_PROPERTY(penWidth, penWidth)
VARN_OPACITY_PROPERTY(penTransparency, penAlpha)
VARN_STATE_PROPERTY(eraserType, eraserType)
VARN_STATE_PROPERTY(eraserWidth, eraserWidth)
VARN_STATE_PROPERTY(lineType, lineType)
VARN_STATE_PROPERTY(lineWidth, lineWidth)
VARN_OPACITY_PROPERTY(lineTransparency, lineAlpha)
VARN_STATE_PROPERTY(shapeType, shapeType)
VARN_STATE_PROPERTY(shapeWidth, shapeWidth)
VARN_OPACITY_PROPERTY(shapeTransparency, shapeAlpha)
VARN_STATE_PROPERTY(effectType, effectType)
VARN_STATE_PROPERTY(effectWidth, effectWidth)

#undef VARN_STATE_PROPERTY
#undef VARN_OPACITY_PROPERTY

HRESULT CDrawingControl::get_paletteColor(BSTR* value) {
  return ReturnText(FormatColorString(Current().colour), value);
}

// An empty text is the page clearing its colour field: nothing changes.
HRESULT CDrawingControl::put_paletteColor(BSTR value) {
  if (SysStringLen(value) == 0) return S_OK;
  uint32_t colour = 0;
  const HRESULT parsed = ParseColorString(com::BstrView(value), &colour);
  if (FAILED(parsed)) return parsed;
  if (ApplyColorRule(Current(), colour)) Repaint();
  recentColors_.Remember(colour);
  return S_OK;
}

HRESULT CDrawingControl::GetPaletteColor(int32_t index, BSTR* color) {
  const std::optional<uint32_t> entry = recentColors_.At(index);
  return ReturnText(FormatColorString(entry.value_or(0)), color);
}

HRESULT CDrawingControl::get_textFontColor(BSTR* value) { return get_paletteColor(value); }

HRESULT CDrawingControl::put_textFontColor(BSTR value) {
  uint32_t colour = 0;
  const HRESULT parsed = ParseColorString(com::BstrView(value), &colour);
  if (FAILED(parsed)) return parsed;
  if (ApplyColorRule(Current(), colour)) Repaint();
  return S_OK;
}

// Null when no text is selected, as a null string, not an empty one.
HRESULT CDrawingControl::get_textCurrent(BSTR* value) {
  const std::u16string* text = GetTextCurrent(Current());
  if (text == nullptr) {
    *value = nullptr;
    return S_OK;
  }
  return ReturnText(*text, value);
}

HRESULT CDrawingControl::put_textCurrent(BSTR value) {
  std::optional<std::u16string_view> content;
  if (value != nullptr) content = com::BstrView(value);
  if (SetTextContent(Current(), content)) Repaint();
  return S_OK;
}

HRESULT CDrawingControl::get_textFontName(BSTR* value) {
  return ReturnText(GetTextFontName(Current()), value);
}

HRESULT CDrawingControl::put_textFontName(BSTR value) {
  if (PutTextFontName(Current(), com::BstrView(value))) Repaint();
  return S_OK;
}

HRESULT CDrawingControl::get_textFontSize(int32_t* value) {
  *value = GetTextFontSize(Current());
  return S_OK;
}

HRESULT CDrawingControl::put_textFontSize(int32_t value) {
  if (PutTextFontSize(Current(), value)) Repaint();
  return S_OK;
}

HRESULT CDrawingControl::get_textFontAlign(int32_t* value) {
  *value = GetTextFontAlign(Current());
  return S_OK;
}

HRESULT CDrawingControl::put_textFontAlign(int32_t value) {
  if (PutTextFontAlign(Current(), value)) Repaint();
  return S_OK;
}

HRESULT CDrawingControl::get_textFontStyle(int32_t* value) {
  *value = GetTextFontStyle(Current());
  return S_OK;
}

HRESULT CDrawingControl::put_textFontStyle(int32_t value) {
  if (PutTextFontStyle(Current(), value)) Repaint();
  return S_OK;
}

HRESULT CDrawingControl::get_ActionPage(BSTR* value) { return GetString(actionPage_, value); }
HRESULT CDrawingControl::put_ActionPage(BSTR value) { return PutString(value, actionPage_); }
HRESULT CDrawingControl::get_FileKey(BSTR* value) { return GetString(fileKey_, value); }
HRESULT CDrawingControl::put_FileKey(BSTR value) { return PutString(value, fileKey_); }
HRESULT CDrawingControl::get_Cookie(BSTR* value) { return GetString(cookie_, value); }
HRESULT CDrawingControl::put_Cookie(BSTR value) { return PutString(value, cookie_); }

}  // namespace varn::drawing
