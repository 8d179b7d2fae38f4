// The node's life: the first node, the copy every step makes and its push,
// and the steps that only change lists (effects, reset).
#include "imagedoc/history_node.h"

#include <algorithm>
#include <utility>

#include "imagedoc/image_history.h"
#include "imagedoc/render_pipeline.h"

namespace varn::imagedoc {

using imaging::Bitmap;

namespace {

// A clone that failed has no size; a null layer stays null.
bool CloneLayer(const std::unique_ptr<Bitmap>& from, std::unique_ptr<Bitmap>& to) {
  if (!from) return true;
  to = from->Clone();
  return IsUsable(to.get());
}

uint32_t DefaultWidth(uint32_t sourceWidth) { return std::min(sourceWidth, kDefaultWorkingWidth); }

}  // namespace

CHistoryNode::CHistoryNode(CImageHistory& owner)
    : workingWidth(DefaultWidth(owner.SourceWidth())),
      fullWidth(static_cast<int32_t>(owner.SourceWidth())),
      owner_(&owner) {}

CHistoryNode::~CHistoryNode() = default;

CHistoryNode::CHistoryNode(const CHistoryNode& from, CopyTag)
    : cropped(from.cropped),
      sizeType(from.sizeType),
      toolType(from.toolType),
      workingWidth(from.workingWidth),
      fullWidth(from.fullWidth),
      rotation(from.rotation),
      frameIndex(from.frameIndex),
      frameUseUrl(from.frameUseUrl),
      selectedText(from.selectedText),
      penWidth(from.penWidth),
      eraserWidth(from.eraserWidth),
      signKind(from.signKind),
      signAlign(from.signAlign),
      signFilePath(from.signFilePath),
      stampText(from.stampText),
      stampShape(from.stampShape),
      penColor(from.penColor),
      nextTextPosition(from.nextTextPosition),
      signPosition(from.signPosition),
      nextCartoonIndex(from.nextCartoonIndex),
      effects(from.effects),
      textItems(from.textItems),
      textTemplate(from.textTemplate),
      stampFont(from.stampFont),
      comment(from.comment),
      commentAlign(from.commentAlign),
      owner_(from.owner_) {}

std::unique_ptr<CHistoryNode> CHistoryNode::MakeCopy() const {
  // A step pushes after the current node; one taken from another node would
  // drop that node's successors under the caller's feet.
  if (&owner_->Current() != this) return nullptr;
  std::unique_ptr<CHistoryNode> copy(new CHistoryNode(*this, CopyTag{}));
  // Clones share pixels until written, so this costs no pixel copy yet.
  if (!CloneLayer(mosaicLayer, copy->mosaicLayer) || !CloneLayer(penLayer, copy->penLayer)) {
    return nullptr;
  }
  return copy;
}

CHistoryNode& CHistoryNode::Push(std::unique_ptr<CHistoryNode> copy, ScaledCache scaled) {
  // This node renders again if an undo makes it current.
  renderedImage.reset();
  if (scaled == ScaledCache::MoveToCopy) {
    if (!copy->scaledImage) copy->scaledImage = std::move(scaledImage);
    scaledImage.reset();
  } else if (scaled == ScaledCache::Drop) {
    scaledImage.reset();
  }
  return owner_->Append(std::move(copy));
}

int32_t CHistoryNode::PushCopy() {
  std::unique_ptr<CHistoryNode> copy = MakeCopy();
  if (!copy) return 0;
  Push(std::move(copy), ScaledCache::MoveToCopy);
  return 1;
}

int32_t CHistoryNode::ChangeEffect(int32_t code, int32_t add) {
  std::unique_ptr<CHistoryNode> copy = MakeCopy();
  if (!copy) return 0;
  if (add != 0) {
    copy->effects.push_back(code);
  } else {
    std::erase(copy->effects, code);
  }
  Push(std::move(copy), ScaledCache::MoveToCopy);
  return 1;
}

uint32_t CHistoryNode::EffectFlags() const {
  uint32_t flags = 0;
  for (const int32_t code : effects) flags |= 1u << (static_cast<uint32_t>(code) % 32u);
  return flags;
}

int32_t CHistoryNode::Reset() {
  std::unique_ptr<CHistoryNode> copy = MakeCopy();
  if (!copy) return 0;
  const uint32_t width = DefaultWidth(owner_->SourceWidth());
  // The scaled source of the loaded state is the one this node has when it
  // is upright at that width already.
  const bool sameScale = !cropped && rotation == 0 && workingWidth == width;
  copy->sizeType = kSizeDefault;
  copy->fullWidth = static_cast<int32_t>(owner_->SourceWidth());
  copy->workingWidth = width;
  copy->selectedText = -1;
  copy->rotation = 0;
  copy->frameIndex = 0;
  copy->frameUseUrl = 0;
  copy->cropped = false;
  copy->signKind = 0;
  copy->signAlign = 0;
  copy->stampShape = 0;
  copy->signFilePath = std::u16string();
  copy->stampText = std::u16string();
  copy->mosaicLayer.reset();
  copy->penLayer.reset();
  copy->textItems.clear();
  copy->effects.clear();
  Push(std::move(copy), sameScale ? ScaledCache::MoveToCopy : ScaledCache::Drop);
  return 1;
}

int32_t CHistoryNode::FrameShift() const {
  return frameIndex >= kFirstMarginFrame ? kFrameMargin : 0;
}

imaging::Size CHistoryNode::BaseSize() const {
  if (cropped) {
    if (!IsUsable(mosaicLayer.get())) return {};
    return {static_cast<int32_t>(mosaicLayer->GetWidth()),
            static_cast<int32_t>(mosaicLayer->GetHeight())};
  }
  return ScaledSize(owner_->SourceWidth(), owner_->SourceHeight(), workingWidth, rotation);
}

bool CHistoryNode::ClipToPicture(imaging::Rect& rect) const {
  // Limited to the picture itself: a frame's caption band below it is no
  // part of what can be cropped or covered.
  const imaging::Size limits = BaseSize();
  int64_t x = int64_t{rect.X} - FrameShift();
  int64_t y = int64_t{rect.Y} - FrameShift();
  int64_t width = rect.Width;
  int64_t height = rect.Height;
  if (x >= limits.Width || y >= limits.Height) return false;
  if (x < 0) {
    width += x;
    x = 0;
  }
  if (y < 0) {
    height += y;
    y = 0;
  }
  width = std::min(width, limits.Width - x);
  height = std::min(height, limits.Height - y);
  if (width <= 0 || height <= 0) return false;
  rect = {static_cast<int32_t>(x), static_cast<int32_t>(y), static_cast<int32_t>(width),
          static_cast<int32_t>(height)};
  return true;
}

}  // namespace varn::imagedoc
