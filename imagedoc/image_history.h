// The editing history of one picture: the picture file as loaded (kept
// encoded, decoded only while a node scales it) and up to kMaxHistoryNodes
// whole editing states, oldest first. The current state is the one redoCount
// places before the newest; undo and redo only change that count, and a new
// step drops every state after the current one.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "imagedoc/history_node.h"
#include "platform/imaging/encoded_picture.h"
#include "platform/imaging/status.h"

namespace varn::imagedoc {

// The current state and ten earlier ones.
inline constexpr int32_t kMaxHistoryNodes = 11;

// UndoRedo's kinds; any other value only asks for a new rendering.
enum UndoRedoType : int32_t { kUndo = 0, kRedo = 1 };

// The history's reports of internal inconsistencies: the operation's name and
// a caption, for the control to show. Nothing is reported without one.
using ErrorReporter = std::function<void(std::string_view text, std::string_view caption)>;

class CImageHistory {
 public:
  // The history of a picture file, with its first node rendered to the scaled
  // size. Null, with the reason in *status (when given), when the file cannot
  // be read or decoded or is larger than the imaging limits.
  static std::unique_ptr<CImageHistory> FromFile(std::string_view utf8Path,
                                                 imaging::Status* status = nullptr);
  static std::unique_ptr<CImageHistory> FromPicture(imaging::EncodedPicture picture,
                                                    imaging::Status* status = nullptr);
  ~CImageHistory();
  CImageHistory(const CImageHistory&) = delete;
  CImageHistory& operator=(const CImageHistory&) = delete;

  // The state shown and edited.
  CHistoryNode& Current();
  const CHistoryNode& Current() const;
  int32_t CountNodes() const { return static_cast<int32_t>(nodes_.size()); }
  // States after the current one that redo can bring back.
  int32_t RedoCount() const { return redoCount_; }
  // Oldest first; index inside 0 .. CountNodes() - 1.
  const CHistoryNode& NodeAt(int32_t index) const;

  // kUndo and kRedo move the current state: 1 when it moved, 0 when there is
  // nothing to undo (redo). Other types change nothing and give 1, so that
  // the caller renders the current state again.
  int32_t UndoRedo(int32_t type);

  // The upright picture every state renders from; never changed.
  const imaging::EncodedPicture& Source() const { return source_; }
  uint32_t SourceWidth() const { return source_.GetWidth(); }
  uint32_t SourceHeight() const { return source_.GetHeight(); }

  void SetErrorReporter(ErrorReporter reporter) { reporter_ = std::move(reporter); }
  // Hands text to the reporter with the caption "Error".
  void ReportError(std::string_view text) const;

 private:
  friend class CHistoryNode;
  explicit CImageHistory(imaging::EncodedPicture picture);

  // Drops the redo states, trims the oldest so that at most kMaxHistoryNodes
  // remain with node, and appends node as the current state.
  CHistoryNode& Append(std::unique_ptr<CHistoryNode> node);

  imaging::EncodedPicture source_;
  std::vector<std::unique_ptr<CHistoryNode>> nodes_;
  int32_t redoCount_ = 0;
  ErrorReporter reporter_;
};

}  // namespace varn::imagedoc
