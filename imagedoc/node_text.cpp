// Text items: the selected item's text, its balloon style, its font, moving
// it, and finding what lies under the mouse. Editing the selected item
// changes the node in place; only a new item is an undo step.
#include <algorithm>
#include <utility>

#include "imagedoc/decorations.h"
#include "imagedoc/history_node.h"

namespace varn::imagedoc {

namespace {

constexpr float kNextTextStep = 15.0f;

}  // namespace

int32_t GetFontValue(const FontSettings& font, FontValue which) {
  switch (which) {
    case FontValue::Size:
      return font.size;
    case FontValue::Align:
      return font.align;
    case FontValue::Style:
      return font.style;
    case FontValue::Color:
      return static_cast<int32_t>(font.color);
    case FontValue::BackgroundColor:
      return static_cast<int32_t>(font.backgroundColor);
    case FontValue::Transparency:
      return font.transparency;
  }
  return 0;
}

void SetFontValue(FontSettings& font, FontValue which, int32_t value) {
  switch (which) {
    case FontValue::Size:
      font.size = value;
      break;
    case FontValue::Align:
      font.align = value;
      break;
    case FontValue::Style:
      font.style = value;
      break;
    case FontValue::Color:
      font.color = static_cast<uint32_t>(value) & 0xFFFFFFu;
      break;
    case FontValue::BackgroundColor:
      font.backgroundColor = static_cast<uint32_t>(value) & 0xFFFFFFu;
      break;
    case FontValue::Transparency:
      font.transparency = value;
      break;
  }
}

TextItem* CHistoryNode::SelectedItem() {
  if (selectedText < 0 || selectedText >= static_cast<int32_t>(textItems.size())) return nullptr;
  return &textItems[static_cast<size_t>(selectedText)];
}

const TextItem* CHistoryNode::SelectedItem() const {
  return const_cast<CHistoryNode*>(this)->SelectedItem();
}

int32_t CHistoryNode::SetCurrentText(std::optional<std::u16string_view> text) {
  if (TextItem* item = SelectedItem()) {
    if (text) {
      item->text = *text;
    } else {
      // The next text takes the deleted one's place and balloon.
      nextTextPosition = {item->x, item->y};
      nextCartoonIndex = item->cartoonIndex;
      textItems.erase(textItems.begin() + selectedText);
      selectedText = -1;
    }
    renderedImage.reset();
    return 1;
  }
  if (!text) return 0;
  std::unique_ptr<CHistoryNode> copy = MakeCopy();
  if (!copy) return 0;
  copy->textItems.push_back(TextItem{nextTextPosition.X, nextTextPosition.Y, nextCartoonIndex,
                                     std::u16string(*text), textTemplate});
  copy->selectedText = static_cast<int32_t>(copy->textItems.size()) - 1;
  Push(std::move(copy), ScaledCache::MoveToCopy);
  return 1;
}

int32_t CHistoryNode::ReleaseCurrentText() {
  if (!SelectedItem()) return 0;
  selectedText = -1;
  nextTextPosition.X += kNextTextStep;
  nextTextPosition.Y += kNextTextStep;
  renderedImage.reset();
  return 1;
}

int32_t CHistoryNode::MoveCurrentText(float dx, float dy) {
  if (!SelectedItem()) return 0;
  if (beginDrag) {
    beginDrag = false;
    std::unique_ptr<CHistoryNode> copy = MakeCopy();
    if (!copy) return 0;
    copy->SelectedItem()->x += dx;
    copy->SelectedItem()->y += dy;
    Push(std::move(copy), ScaledCache::MoveToCopy);
    return 1;
  }
  SelectedItem()->x += dx;
  SelectedItem()->y += dy;
  renderedImage.reset();
  return 1;
}

int32_t CHistoryNode::SetCartoonIndex(int32_t index) {
  nextCartoonIndex = index;
  TextItem* item = SelectedItem();
  if (!item) return 0;
  item->cartoonIndex = index;
  renderedImage.reset();
  return 1;
}

int32_t CHistoryNode::GetCartoonIndex() const {
  const TextItem* item = SelectedItem();
  return item ? item->cartoonIndex : nextCartoonIndex;
}

std::optional<std::u16string> CHistoryNode::GetCurrentText() const {
  const TextItem* item = SelectedItem();
  if (!item) return std::nullopt;
  return item->text;
}

const FontSettings& CHistoryNode::FontTarget() const {
  if (toolType == kSignTool) return stampFont;
  const TextItem* item = SelectedItem();
  return item ? item->font : textTemplate;
}

std::u16string CHistoryNode::GetFontName() const { return FontTarget().name; }

int32_t CHistoryNode::GetFontValue(FontValue which) const {
  return imagedoc::GetFontValue(FontTarget(), which);
}

template <typename Change>
int32_t CHistoryNode::ChangeFont(Change change) {
  if (toolType == kSignTool) {
    change(stampFont);
    renderedImage.reset();
    return 1;
  }
  // The template takes every value, so the next text has it too.
  change(textTemplate);
  TextItem* item = SelectedItem();
  if (!item) return 0;
  change(item->font);
  renderedImage.reset();
  return 1;
}

int32_t CHistoryNode::SetFontName(std::u16string_view name) {
  return ChangeFont([name](FontSettings& font) { font.name = name; });
}

int32_t CHistoryNode::SetFontValue(FontValue which, int32_t value) {
  return ChangeFont(
      [which, value](FontSettings& font) { imagedoc::SetFontValue(font, which, value); });
}

HitResult CHistoryNode::HitTest(float x, float y, bool select) {
  const auto shift = static_cast<float>(FrameShift());
  x -= shift;
  y -= shift;
  // Topmost first: later items are drawn over earlier ones.
  for (auto i = static_cast<int32_t>(textItems.size()) - 1; i >= 0; --i) {
    const std::optional<imaging::RectF> bounds = TextItemBounds(textItems[static_cast<size_t>(i)]);
    if (!bounds || !bounds->Contains(x, y)) continue;
    if (select) {
      // The chosen item comes to the top.
      std::rotate(textItems.begin() + i, textItems.begin() + i + 1, textItems.end());
      selectedText = static_cast<int32_t>(textItems.size()) - 1;
      beginDrag = true;
    }
    renderedImage.reset();
    return kHitText;
  }
  // Texts before the signature, though it is drawn over them: a small text
  // under it could otherwise never be grabbed again.
  if (const std::optional<imaging::RectF> sign = FreeSignBounds(*this);
      sign && sign->Contains(x, y)) {
    beginDrag = true;
    renderedImage.reset();
    if (select) selectedText = -1;
    return kHitSign;
  }
  if (!select) return kHitNothing;
  nextTextPosition = {x, y};
  if (selectedText == -1) return kHitNothing;
  selectedText = -1;
  renderedImage.reset();
  return kHitSelectionCleared;
}

}  // namespace varn::imagedoc
