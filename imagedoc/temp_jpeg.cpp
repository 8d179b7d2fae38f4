// Output for the upload: the node rendered without selection marks, written
// as a JPEG with its thumbnail.
#include <string>
#include <utility>

#include "common/save_image_with_thumbnail.h"
#include "imagedoc/history_node.h"

namespace varn::imagedoc {

int32_t CHistoryNode::SaveTempJpeg(CSubmitFiles* files) {
  // The view's rendering, selection marks and all, is put back afterwards.
  std::unique_ptr<imaging::Bitmap> shown = std::move(renderedImage);
  int32_t result = 0;
  if (RedrawImage(true, false) && renderedImage) {
    std::string picturePath;
    std::string thumbnailPath;
    result = SaveImageWithThumbnail(*renderedImage, PictureFileType::Jpeg, &picturePath,
                                    &thumbnailPath, files)
                 ? 1
                 : 0;
    // Kept whether or not the saves succeeded, as the names were handed out.
    tempPicturePath = std::move(picturePath);
    tempThumbnailPath = std::move(thumbnailPath);
  }
  if (shown) {
    renderedImage = std::move(shown);
  } else if (selectedText != -1) {
    renderedImage.reset();
  }
  return result;
}

}  // namespace varn::imagedoc
