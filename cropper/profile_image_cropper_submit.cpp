// The three profile pictures leaving the control: written from the full-size
// picture under the selection, then posted to the page's site with the reply
// reported as events.
#include <new>
#include <string>
#include <vector>

#include "common/encoder_lookup.h"
#include "common/form_upload.h"
#include "common/imaging_startup.h"
#include "common/reply_records.h"
#include "cropper/profile_image_cropper.h"
#include "platform/imaging/encoded_picture.h"
#include "platform/system/temp_directory.h"
#include "platform/system/utf_convert.h"

namespace varn::cropper {
namespace {

// A reply line gives the four fields the page receives.
constexpr size_t kReplyFieldsPerRecord = 4;

}  // namespace

bool CProfileImageCropper::AllOutputsSet() const {
  for (const std::u16string& path : outputPaths_) {
    if (path.empty()) return false;
  }
  return true;
}

HRESULT CProfileImageCropper::SaveProfileImages(VARIANT_BOOL* result) {
  try {
    WriteOutputs();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  *result = AllOutputsSet() ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

// Without a client area, a picture or its file, nothing is written and the
// paths of an earlier save stay. Otherwise each output is written in turn; a
// failed one empties its path and the others go on.
void CProfileImageCropper::WriteOutputs() {
  const RECT client = ClientRect();
  if (!profileImagePath_ || client.right <= 0 || client.bottom <= 0) return;
  const ImagingScope imaging;
  // Turned upright as when it was shown, so the selection lies over the
  // same pixels.
  const std::unique_ptr<imaging::Bitmap> picture =
      imaging::DecodeUprightFile(system::Utf16ToUtf8(*profileImagePath_));
  if (picture->GetLastStatus() != imaging::Status::Ok) return;

  const system::FileResult<system::OpenDirectory> directory = system::OpenTempDirectory();
  CLSID encoder{};
  const bool canWrite = directory && FindEncoderByMimeType(u"image/jpeg", &encoder) >= 0;
  for (size_t i = 0; i < kProfileOutputs.size(); ++i) {
    const ProfileOutput& output = kProfileOutputs[i];
    std::u16string& path = outputPaths_[i];
    path.clear();
    if (!canWrite) continue;
    const std::optional<imaging::Rect> region =
        SourceRegion(selection_, output.source, picture->GetWidth(), picture->GetHeight(),
                     client.right, client.bottom);
    if (!region) continue;
    const std::unique_ptr<imaging::Bitmap> image = RenderProfileOutput(*picture, *region, output);
    if (WriteProfileOutput(directory.value, output, *image, encoder)) {
      path = system::Utf8ToUtf16(ProfileOutputPath(directory.value, output));
    }
  }
}

HRESULT CProfileImageCropper::Submit() {
  try {
    PostOutputs();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

// Whatever Save achieved is posted: a missing file fails the post before
// anything is sent, as a refused post does.
void CProfileImageCropper::PostOutputs() {
  WriteOutputs();
  std::u16string reply;
  bool posted = false;
  {
    CFormUpload upload;
    upload.AddTextField(u"filekey", fileKey_);
    for (size_t i = 0; i < kProfileOutputs.size(); ++i) {
      upload.AddFileField(kProfileOutputs[i].field, outputPaths_[i], u"image/jpeg");
    }
    posted = upload.Post(actionPage_, reply, &cookie_);
  }
  if (!posted) {
    Fire(kOnUploadFileComplete, int32_t{1});
    return;
  }
  // The records are cut before any event: a page handler may change the
  // control while they are reported.
  const std::vector<ReplyRecord> records = TakeReplyRecords(reply, kReplyFieldsPerRecord);
  for (const ReplyRecord& fields : records) {
    Fire(kOnUploadFile, fields[0], fields[1], fields[2], fields[3]);
  }
  Fire(kOnUploadFileComplete, int32_t{0});
}

}  // namespace varn::cropper
