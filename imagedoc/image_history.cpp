#include "imagedoc/image_history.h"

#include <utility>

#include "imagedoc/render_pipeline.h"
#include "platform/system/check.h"

namespace varn::imagedoc {

using imaging::EncodedPicture;
using imaging::Status;

CImageHistory::CImageHistory(EncodedPicture picture) : source_(std::move(picture)) {}

CImageHistory::~CImageHistory() = default;

std::unique_ptr<CImageHistory> CImageHistory::FromFile(std::string_view utf8Path, Status* status) {
  return FromPicture(EncodedPicture::FromFile(utf8Path), status);
}

std::unique_ptr<CImageHistory> CImageHistory::FromPicture(EncodedPicture picture, Status* status) {
  Status result = picture.GetStatus();
  std::unique_ptr<CImageHistory> history;
  if (result == Status::Ok) {
    history.reset(new CImageHistory(std::move(picture)));
    auto first = std::make_unique<CHistoryNode>(*history);
    // The header alone does not prove the pixels decode: scaling the first
    // state decodes them once, and a picture that fails gives no history.
    first->scaledImage = ScaleSource(history->source_, first->workingWidth, 0, &result);
    if (first->scaledImage) {
      history->Append(std::move(first));
    } else {
      history.reset();
    }
  }
  if (status) *status = result;
  return history;
}

CHistoryNode& CImageHistory::Current() {
  VARN_CHECK(!nodes_.empty() && redoCount_ < CountNodes());
  return *nodes_[nodes_.size() - 1 - static_cast<size_t>(redoCount_)];
}

const CHistoryNode& CImageHistory::Current() const {
  return const_cast<CImageHistory*>(this)->Current();
}

const CHistoryNode& CImageHistory::NodeAt(int32_t index) const {
  VARN_CHECK(index >= 0 && index < CountNodes());
  return *nodes_[static_cast<size_t>(index)];
}

int32_t CImageHistory::UndoRedo(int32_t type) {
  if (type == kUndo) {
    if (redoCount_ >= CountNodes() - 1) return 0;
    ++redoCount_;
    return 1;
  }
  if (type == kRedo) {
    if (redoCount_ <= 0) return 0;
    --redoCount_;
    return 1;
  }
  return 1;
}

void CImageHistory::ReportError(std::string_view text) const {
  if (reporter_) reporter_(text, "Error");
}

CHistoryNode& CImageHistory::Append(std::unique_ptr<CHistoryNode> node) {
  VARN_CHECK(node && &node->Owner() == this);
  // Redo states go newest first.
  for (; redoCount_ > 0; --redoCount_) nodes_.pop_back();
  const size_t keep = kMaxHistoryNodes - 1;
  if (nodes_.size() > keep) {
    nodes_.erase(nodes_.begin(),
                 nodes_.begin() + static_cast<std::ptrdiff_t>(nodes_.size() - keep));
  }
  nodes_.push_back(std::move(node));
  return *nodes_.back();
}

}  // namespace varn::imagedoc
