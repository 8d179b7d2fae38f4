#include "platform/imaging/image_codec.h"

namespace varn::imaging {

const std::vector<ImageCodecInfo>& GetImageEncoders() {
  static const std::vector<ImageCodecInfo> kEncoders{
      {kBmpEncoderClsid, kImageFormatBmp, u"Built-in BMP Codec", u"BMP", u"*.BMP;*.DIB;*.RLE",
       u"image/bmp"},
      {kJpegEncoderClsid, kImageFormatJpeg, u"Built-in JPEG Codec", u"JPEG",
       u"*.JPG;*.JPEG;*.JPE;*.JFIF", u"image/jpeg"},
      {kGifEncoderClsid, kImageFormatGif, u"Built-in GIF Codec", u"GIF", u"*.GIF", u"image/gif"},
      {kTiffEncoderClsid, kImageFormatTiff, u"Built-in TIFF Codec", u"TIFF", u"*.TIF;*.TIFF",
       u"image/tiff"},
      {kPngEncoderClsid, kImageFormatPng, u"Built-in PNG Codec", u"PNG", u"*.PNG", u"image/png"},
  };
  return kEncoders;
}

}  // namespace varn::imaging
