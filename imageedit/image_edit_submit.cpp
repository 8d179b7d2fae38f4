// The pictures leaving the control: each rendered as it stands, written as
// JPEG with its thumbnail, posted in one form to the page's site, and the
// site's answer reported line by line with the comment the member gave.
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "common/form_upload.h"
#include "common/reply_records.h"
#include "common/submit_files.h"
#include "imageedit/image_edit_control.h"
#include "platform/com/bstr.h"
#include "platform/system/utf_convert.h"

namespace varn::imageedit {
namespace {

// A reply line names the picture's position, the file id, name, path and size.
constexpr size_t kReplyFieldsPerRecord = 5;
// A line holding this anywhere is the site refusing one file.
constexpr std::u16string_view kErrorMark = u"error";

bool IsErrorLine(const ReplyRecord& fields) {
  for (const std::u16string& field : fields) {
    if (field.find(kErrorMark) != std::u16string::npos) return true;
  }
  return false;
}

// The position a reply line names, read as the site writes it: blanks, one
// sign, digits up to the first other character; 0 when no digit leads, and
// -1 (no picture) for a number past the int range.
int64_t PictureIndexOf(std::u16string_view field) {
  size_t at = 0;
  while (at < field.size() && (field[at] == u' ' || (field[at] >= u'\t' && field[at] <= u'\r'))) {
    ++at;
  }
  bool negative = false;
  if (at < field.size() && (field[at] == u'+' || field[at] == u'-')) {
    negative = field[at] == u'-';
    ++at;
  }
  int64_t value = 0;
  for (; at < field.size() && field[at] >= u'0' && field[at] <= u'9'; ++at) {
    value = value * 10 + (field[at] - u'0');
    if (value > INT32_MAX) return -1;
  }
  return negative ? -value : value;
}

std::u16string WithoutLineEnds(std::u16string text) {
  std::erase_if(text, [](char16_t c) { return c == u'\r' || c == u'\n'; });
  return text;
}

}  // namespace

HRESULT CImageEditControl::SaveAndSubmit() {
  if (!HasImage()) return S_FALSE;
  try {
    Submit();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

void CImageEditControl::Submit() {
  AbandonDrag();
  if (wholeFrameApply_ != 0) ApplyWholeFrame();
  std::u16string reply;
  bool posted = false;
  {
    // Declared first so that it goes last: the upload closes the files
    // before they are removed, whatever the post's outcome.
    CSubmitFiles files;
    CFormUpload upload;
    upload.AddTextField(u"filekey", fileKey_);
    // Only pictures that were written are numbered: a failed one leaves no gap.
    int32_t saved = 0;
    for (const std::unique_ptr<imagedoc::CImageHistory>& image : images_) {
      imagedoc::CHistoryNode& node = image->Current();
      if (node.SaveTempJpeg(&files) == 0) continue;
      const std::u16string number = system::Utf8ToUtf16(std::to_string(saved));
      upload.AddFileField(u"image" + number, system::Utf8ToUtf16(node.tempPicturePath),
                          u"image/jpeg");
      upload.AddFileField(u"timage" + number, system::Utf8ToUtf16(node.tempThumbnailPath),
                          u"image/jpeg");
      ++saved;
    }
    posted = upload.Post(actionPage_, reply, &cookie_);
  }
  if (!posted) {
    Fire(kOnUploadFileComplete, int32_t{1});
    return;
  }
  // The lines are cut before any event: a page handler may change the list
  // while they are reported.
  const std::vector<ReplyRecord> lines = SplitReplyRecords(reply);
  for (const ReplyRecord& fields : lines) {
    if (IsErrorLine(fields)) continue;
    if (fields.size() < kReplyFieldsPerRecord) break;
    // The site stored the file even when the line names no picture of the
    // list: the page hears of it, without a comment.
    const int64_t index = PictureIndexOf(fields[0]);
    BSTR comment = nullptr;
    com::Bstr commentText;
    int32_t align = 0;
    if (index >= 0 && index < ImageCount()) {
      const imagedoc::CHistoryNode& node = images_[index]->Current();
      if (!node.comment.empty()) {
        commentText = com::Bstr::FromText(node.comment);
        if (commentText.IsNull()) throw std::bad_alloc();
        comment = commentText.Get();
      }
      align = node.commentAlign;
    }
    Fire(kOnUploadFile, fields[1], fields[2], fields[3], WithoutLineEnds(fields[4]), comment,
         align);
  }
  Fire(kOnUploadFileComplete, int32_t{0});
}

}  // namespace varn::imageedit
