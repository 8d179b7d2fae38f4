// The drawing leaving the control: flattened, written as PNG with its
// thumbnail and posted to the page's site, the reply reported as events.
#include <new>
#include <string>
#include <vector>

#include "common/form_upload.h"
#include "common/reply_records.h"
#include "common/save_image_with_thumbnail.h"
#include "common/submit_files.h"
#include "drawing/drawing_control.h"
#include "drawing/render.h"
#include "platform/system/utf_convert.h"

namespace varn::drawing {
namespace {

// A reply line gives the record id and the four fields the page receives.
constexpr size_t kReplyFieldsPerRecord = 5;

}  // namespace

bool CDrawingControl::BackBufferFitsCanvas() const {
  const CDrawingState& state = *document_->current;
  return backBuffer_->GetWidth() == static_cast<uint32_t>(state.canvasWidth) &&
         backBuffer_->GetHeight() == static_cast<uint32_t>(state.canvasHeight);
}

HRESULT CDrawingControl::SaveAndSubmit() {
  try {
    SubmitDrawing();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

void CDrawingControl::SubmitDrawing() {
  std::u16string reply;
  // Every submit ends with an event: a drawing that could not be written is
  // a failed post like one the server refused.
  if (!PostDrawing(reply)) {
    Fire(kOnUploadFileComplete, int32_t{1});
    return;
  }
  // The records are cut before any event: a page handler may change the
  // control while they are reported.
  const std::vector<ReplyRecord> records = TakeReplyRecords(reply, kReplyFieldsPerRecord);
  for (const ReplyRecord& fields : records) {
    Fire(kOnUploadFile, fields[1], fields[2], fields[3], fields[4]);
  }
  Fire(kOnUploadFileComplete, int32_t{0});
}

bool CDrawingControl::PostDrawing(std::u16string& reply) {
  // Declared first so that it goes last: the upload closes the files before
  // they are removed, whatever the post's outcome.
  CSubmitFiles files;
  CFormUpload upload;
  upload.AddTextField(u"filekey", fileKey_);

  CDrawingState& state = Current();
  // After a size whose buffer could not be made, a picture of the wrong size
  // must not be posted as the drawing.
  if (!BackBufferFitsCanvas() && !(RemakeBackBuffer() && BackBufferFitsCanvas())) return false;
  Render(state, *backBuffer_, strokePoints_, RenderMode::Export);
  std::string picturePath;
  std::string thumbnailPath;
  const bool saved = SaveImageWithThumbnail(*backBuffer_, PictureFileType::Png, &picturePath,
                                            &thumbnailPath, &files);
  state.submitImagePath = picturePath;
  state.submitThumbnailPath = thumbnailPath;
  if (!saved) return false;

  upload.AddFileField(u"image0", system::Utf8ToUtf16(picturePath), u"image/png");
  upload.AddFileField(u"timage0", system::Utf8ToUtf16(thumbnailPath), u"image/png");
  return upload.Post(actionPage_, reply, &cookie_);
}

}  // namespace varn::drawing
