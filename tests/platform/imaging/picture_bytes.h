// Picture files built byte by byte: headers that claim any size, and JPEGs
// given an EXIF orientation the way a phone writes it.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace varn::imaging::testing {

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline std::vector<uint8_t> BytesOf(const std::string& text) {
  return std::vector<uint8_t>(text.begin(), text.end());
}

inline void AppendBigEndian(std::string& out, uint32_t value, int bytes = 4) {
  for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8) {
    out.push_back(static_cast<char>(value >> shift));
  }
}

inline void AppendLittleEndian(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(value >> (8 * i)));
}

inline uint32_t Crc32(const std::string& bytes) {
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char byte : bytes) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

inline void AppendChunk(std::string& png, const std::string& typeAndData) {
  AppendBigEndian(png, static_cast<uint32_t>(typeAndData.size() - 4));
  png += typeAndData;
  AppendBigEndian(png, Crc32(typeAndData));
}

// A PNG whose header claims the size, with a few bytes of pixel data only.
inline std::string PngHeader(uint32_t width, uint32_t height) {
  std::string header = "IHDR";
  AppendBigEndian(header, width);
  AppendBigEndian(header, height);
  header += std::string("\x08\x06\x00\x00\x00", 5);
  std::string png = "\x89PNG\r\n\x1a\n";
  AppendChunk(png, header);
  AppendChunk(png, std::string("IDAT\x78\x9c\x63\x00\x00", 9));
  AppendChunk(png, "IEND");
  return png;
}

// A 24-bit BMP header claiming the size, followed by a few pixel bytes only.
inline std::string BmpHeader(int32_t width, int32_t height) {
  std::string bmp = "BM";
  AppendLittleEndian(bmp, 54 + 16, 4);
  AppendLittleEndian(bmp, 0, 4);
  AppendLittleEndian(bmp, 54, 4);
  AppendLittleEndian(bmp, 40, 4);
  AppendLittleEndian(bmp, static_cast<uint32_t>(width), 4);
  AppendLittleEndian(bmp, static_cast<uint32_t>(height), 4);
  AppendLittleEndian(bmp, 1, 2);
  AppendLittleEndian(bmp, 24, 2);
  AppendLittleEndian(bmp, 0, 4);
  for (int field = 0; field < 5; ++field) AppendLittleEndian(bmp, 0, 4);
  return bmp + std::string(16, '\0');
}

// jpeg with an APP1 Exif segment holding one tag, the orientation (a
// big-endian TIFF directory), placed after the JFIF segment when there is one.
inline std::string WithExifOrientation(const std::string& jpeg, int orientation) {
  std::string tiff("MM\0*", 4);
  AppendBigEndian(tiff, 8);          // the directory follows the header
  AppendBigEndian(tiff, 1, 2);       // one entry
  AppendBigEndian(tiff, 0x0112, 2);  // Orientation
  AppendBigEndian(tiff, 3, 2);       // SHORT
  AppendBigEndian(tiff, 1);          // one value, kept in the entry
  AppendBigEndian(tiff, static_cast<uint32_t>(orientation), 2);
  AppendBigEndian(tiff, 0, 2);
  AppendBigEndian(tiff, 0);  // no further directory
  const std::string payload = std::string("Exif\0\0", 6) + tiff;
  std::string segment = "\xFF\xE1";
  AppendBigEndian(segment, static_cast<uint32_t>(payload.size() + 2), 2);
  segment += payload;
  size_t at = 2;
  if (jpeg.size() > 6 && static_cast<uint8_t>(jpeg[2]) == 0xFF &&
      static_cast<uint8_t>(jpeg[3]) == 0xE0) {
    at = 4 +
         (static_cast<size_t>(static_cast<uint8_t>(jpeg[4])) << 8 | static_cast<uint8_t>(jpeg[5]));
  }
  return jpeg.substr(0, at) + segment + jpeg.substr(at);
}

}  // namespace varn::imaging::testing
