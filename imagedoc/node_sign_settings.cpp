// Frame and signature settings. A setting that cannot show yet (a sign kind
// while there is neither a signature file nor a stamp text, a stamp shape
// without a stamp text, a changed stamp text) changes the node in place; the
// others are undo steps. Equal values change nothing.
#include <utility>

#include "imagedoc/frame.h"
#include "imagedoc/history_node.h"
#include "imagedoc/image_history.h"

namespace varn::imagedoc {

namespace {

bool IsEmpty(const std::optional<std::u16string>& text) { return !text || text->empty(); }

// Null and empty texts show alike, so they count as the same setting.
bool SameText(const std::optional<std::u16string>& a, const std::optional<std::u16string>& b) {
  return IsEmpty(a) ? IsEmpty(b) : (b && *a == *b);
}

std::optional<std::u16string> Stored(std::optional<std::u16string_view> text) {
  if (!text) return std::nullopt;
  return std::u16string(*text);
}

}  // namespace

template <typename Change>
int32_t CHistoryNode::ChangeSetting(bool inPlace, Change change) {
  if (inPlace) {
    change(*this);
    renderedImage.reset();
    return 1;
  }
  std::unique_ptr<CHistoryNode> copy = MakeCopy();
  if (!copy) return 0;
  change(*copy);
  Push(std::move(copy), ScaledCache::MoveToCopy);
  return 1;
}

int32_t CHistoryNode::SetFrameIndex(int32_t index) {
  // An unknown frame would shift every point by a margin nothing draws.
  if (index < 0 || index >= kFrameCount || index == frameIndex) return 0;
  return ChangeSetting(false, [index](CHistoryNode& node) { node.frameIndex = index; });
}

int32_t CHistoryNode::SetFrameUseUrl(int32_t flag) {
  // Only frames with a margin have a caption band.
  if (frameIndex < kFirstMarginFrame || flag == frameUseUrl) return 0;
  return ChangeSetting(false, [flag](CHistoryNode& node) { node.frameUseUrl = flag; });
}

int32_t CHistoryNode::SetSignPath(std::optional<std::u16string_view> path) {
  // Always a step: the file behind an equal path may have changed.
  return ChangeSetting(false, [&path](CHistoryNode& node) { node.signFilePath = Stored(path); });
}

int32_t CHistoryNode::SetSignIndex(int32_t kind) {
  if (kind == signKind) return 0;
  return ChangeSetting(IsEmpty(signFilePath) && IsEmpty(stampText),
                       [kind](CHistoryNode& node) { node.signKind = kind; });
}

int32_t CHistoryNode::SetSignAlign(int32_t align) {
  if (align == signAlign) return 0;
  return ChangeSetting(IsEmpty(signFilePath) && IsEmpty(stampText),
                       [align](CHistoryNode& node) { node.signAlign = align; });
}

int32_t CHistoryNode::SetStampIndex(int32_t shape) {
  if (shape == stampShape) return 0;
  return ChangeSetting(IsEmpty(stampText),
                       [shape](CHistoryNode& node) { node.stampShape = shape; });
}

int32_t CHistoryNode::SetStampText(std::optional<std::u16string_view> text) {
  if (text.has_value() == stampText.has_value() && (!text || *text == *stampText)) return 0;
  // Typing into a stamp that shows already is one step, not one per change.
  return ChangeSetting(!IsEmpty(stampText) && text.has_value(),
                       [&text](CHistoryNode& node) { node.stampText = Stored(text); });
}

int32_t CHistoryNode::MoveSign(float dx, float dy) {
  if (beginDrag) {
    beginDrag = false;
    return ChangeSetting(false, [dx, dy](CHistoryNode& node) {
      node.signPosition.X += dx;
      node.signPosition.Y += dy;
    });
  }
  return ChangeSetting(true, [dx, dy](CHistoryNode& node) {
    node.signPosition.X += dx;
    node.signPosition.Y += dy;
  });
}

int32_t CHistoryNode::CopySettingsFrom(const CHistoryNode& source) {
  renderedImage.reset();
  if (source.sizeType == kSizeFree) {
    SetWidth(static_cast<int32_t>(source.workingWidth));
  } else {
    SetSizeType(source.sizeType);
  }
  // The size may have pushed a node: the rest goes to whichever is current.
  CHistoryNode& target = owner_->Current();
  target.frameIndex = source.frameIndex;
  target.frameUseUrl = source.frameUseUrl;
  target.signKind = source.signKind;
  target.signAlign = source.signAlign;
  target.stampShape = source.stampShape;
  target.signFilePath = source.signFilePath;
  target.stampText = source.stampText;
  target.stampFont = source.stampFont;
  target.signPosition = source.signPosition;
  target.renderedImage.reset();
  return 1;
}

bool CHistoryNode::DiffersInSettings(const CHistoryNode& other) const {
  return sizeType != other.sizeType || workingWidth != other.workingWidth ||
         frameIndex != other.frameIndex || frameUseUrl != other.frameUseUrl ||
         signKind != other.signKind || signAlign != other.signAlign ||
         stampShape != other.stampShape || !SameText(signFilePath, other.signFilePath) ||
         !SameText(stampText, other.stampText) || stampFont != other.stampFont ||
         signPosition != other.signPosition;
}

}  // namespace varn::imagedoc
