// Draws the corner pictures of the picture editor's frames and writes them as
// PNG files (top-left orientation; the frames turn them for the other three
// corners). The PNGs in this folder are its output, committed so that the
// build needs no generator run; the corner_artwork_current test keeps them in
// step with this program.
//
//   corner_artwork_generator <folder>           writes corner_<id>.png
//   corner_artwork_generator --check <folder>   fails when a file differs
//
// Every pixel is the average of 16 x 16 samples, so curved edges come out
// anti-aliased. Only the standard library is used, and the encoding is fixed
// (stored deflate blocks), so the bytes are the same on every machine.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Rgba {
  double r, g, b, a;
};

constexpr Rgba kWhite{255, 255, 255, 255};
constexpr Rgba kClear{255, 255, 255, 0};
constexpr Rgba kArcGray{0xC0, 0xC0, 0xC0, 255};
constexpr Rgba kBandGray{0xF2, 0xF2, 0xF2, 255};

enum class Kind {
  // Opaque white outside a circle round the bottom-right pixel's centre,
  // transparent inside: laid over a picture's corner it rounds it.
  Mask,
  // White with a 1-pixel gray arc through the bottom-left and top-right
  // pixels: rounds a 1-pixel border.
  Arc,
  // The arc with a light band inside it, as wide as the 5-pixel border it
  // carries round the corner; white within.
  ArcAndBand,
};

struct Corner {
  int id;
  int size;
  Kind kind;
  bool alpha;
};

constexpr std::array<Corner, 4> kCorners{{
    {1001, 15, Kind::Mask, true},
    {1002, 15, Kind::Arc, false},
    {1003, 15, Kind::ArcAndBand, false},
    {1004, 10, Kind::Mask, true},
}};

constexpr int kSamples = 16;

// The colour at distance d from the centre of the bottom-right pixel.
Rgba ColourAt(const Corner& corner, double d) {
  const double size = corner.size;
  switch (corner.kind) {
    case Kind::Mask:
      return d > size ? kWhite : kClear;
    case Kind::Arc: {
      const double radius = size - 1;
      return std::fabs(d - radius) <= 0.5 ? kArcGray : kWhite;
    }
    case Kind::ArcAndBand: {
      const double radius = size - 1;
      if (std::fabs(d - radius) <= 0.5) return kArcGray;
      return d < radius && d >= radius - 4.5 ? kBandGray : kWhite;
    }
  }
  return kWhite;
}

uint8_t Rounded(double value) { return static_cast<uint8_t>(std::lround(value)); }

// Rows of RGBA or RGB bytes.
std::vector<uint8_t> Draw(const Corner& corner) {
  std::vector<uint8_t> pixels;
  const double centre = corner.size - 0.5;
  for (int y = 0; y < corner.size; ++y) {
    for (int x = 0; x < corner.size; ++x) {
      Rgba sum{0, 0, 0, 0};
      for (int sy = 0; sy < kSamples; ++sy) {
        for (int sx = 0; sx < kSamples; ++sx) {
          const double px = x + (sx + 0.5) / kSamples;
          const double py = y + (sy + 0.5) / kSamples;
          const Rgba c = ColourAt(corner, std::hypot(px - centre, py - centre));
          sum.r += c.r;
          sum.g += c.g;
          sum.b += c.b;
          sum.a += c.a;
        }
      }
      const double n = kSamples * kSamples;
      pixels.push_back(Rounded(sum.r / n));
      pixels.push_back(Rounded(sum.g / n));
      pixels.push_back(Rounded(sum.b / n));
      if (corner.alpha) pixels.push_back(Rounded(sum.a / n));
    }
  }
  return pixels;
}

uint32_t Crc32(std::string_view bytes) {
  uint32_t crc = 0xFFFFFFFFu;
  for (const char ch : bytes) {
    crc ^= static_cast<uint8_t>(ch);
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return crc ^ 0xFFFFFFFFu;
}

void AppendBigEndian(std::string& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>(value >> shift));
}

void AppendChunk(std::string& out, std::string_view type, const std::string& data) {
  AppendBigEndian(out, static_cast<uint32_t>(data.size()));
  const std::string body = std::string(type) + data;
  out += body;
  AppendBigEndian(out, Crc32(body));
}

// A zlib stream of stored blocks: no compression, the same bytes everywhere.
std::string Zlib(const std::string& raw) {
  std::string out{'\x78', '\x01'};
  size_t at = 0;
  do {
    const size_t length = std::min<size_t>(raw.size() - at, 0xFFFF);
    const bool last = at + length == raw.size();
    out.push_back(last ? '\x01' : '\x00');
    out.push_back(static_cast<char>(length & 0xFF));
    out.push_back(static_cast<char>(length >> 8));
    out.push_back(static_cast<char>(~length & 0xFF));
    out.push_back(static_cast<char>((~length >> 8) & 0xFF));
    out.append(raw, at, length);
    at += length;
  } while (at < raw.size());
  uint32_t a = 1;
  uint32_t b = 0;
  for (const char ch : raw) {
    a = (a + static_cast<uint8_t>(ch)) % 65521;
    b = (b + a) % 65521;
  }
  AppendBigEndian(out, b << 16 | a);
  return out;
}

std::string Png(const Corner& corner) {
  const std::vector<uint8_t> pixels = Draw(corner);
  const size_t rowBytes = static_cast<size_t>(corner.size) * (corner.alpha ? 4 : 3);
  std::string raw;
  for (int y = 0; y < corner.size; ++y) {
    raw.push_back('\0');  // no filter
    raw.append(pixels.begin() + static_cast<std::ptrdiff_t>(y * rowBytes),
               pixels.begin() + static_cast<std::ptrdiff_t>((y + 1) * rowBytes));
  }
  std::string header;
  AppendBigEndian(header, static_cast<uint32_t>(corner.size));
  AppendBigEndian(header, static_cast<uint32_t>(corner.size));
  header += {'\x08', corner.alpha ? '\x06' : '\x02', '\0', '\0', '\0'};
  std::string png("\x89PNG\r\n\x1a\n", 8);
  AppendChunk(png, "IHDR", header);
  AppendChunk(png, "IDAT", Zlib(raw));
  AppendChunk(png, "IEND", "");
  return png;
}

std::string FileName(const std::string& folder, const Corner& corner) {
  return folder + "/corner_" + std::to_string(corner.id) + ".png";
}

}  // namespace

int main(int argc, char** argv) {
  const bool check = argc == 3 && std::string_view(argv[1]) == "--check";
  if (argc != 2 && !check) {
    std::cerr << "usage: corner_artwork_generator [--check] <folder>\n";
    return 2;
  }
  const std::string folder = argv[argc - 1];
  int failures = 0;
  for (const Corner& corner : kCorners) {
    const std::string path = FileName(folder, corner);
    const std::string png = Png(corner);
    if (check) {
      std::ifstream in(path, std::ios::binary);
      const std::string stored{std::istreambuf_iterator<char>(in), {}};
      if (stored != png) {
        std::cerr << path << " differs from the generator's drawing; rerun "
                  << "corner_artwork_generator " << folder << "\n";
        ++failures;
      }
      continue;
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << png;
    if (!out.flush()) {
      std::cerr << "cannot write " << path << "\n";
      ++failures;
    }
  }
  return failures == 0 ? 0 : 1;
}
