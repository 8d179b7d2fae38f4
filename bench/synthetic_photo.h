// Photo-like JPEG test pictures for the picture editor's benchmarks, written
// row by row with libjpeg-turbo so that making them costs no memory worth
// counting: broad gradients, soft waves, hard edges and fine grain, about the
// size and entropy of a camera's picture.
#pragma once

#include <jpeglib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace varn::bench {

inline void SyntheticPhotoRow(int width, int height, int y, uint32_t variant,
                              std::vector<uint8_t>& row) {
  uint32_t seed = 2654435761u * static_cast<uint32_t>(y + 1) + variant * 40503u;
  const double phase = variant * 0.7;
  for (int x = 0; x < width; ++x) {
    seed = seed * 1664525u + 1013904223u;
    const int grain = static_cast<int>(seed >> 28) - 8;
    const double wave = 40.0 * std::sin(x / 97.0 + phase) * std::cos(y / 131.0);
    const int edge = ((x / 500 + y / 400 + static_cast<int>(variant)) % 2) * 30;
    const int base[3] = {x * 160 / width + 40, y * 150 / height + 50,
                         (x + y) * 100 / (width + height) + 80};
    for (int c = 0; c < 3; ++c) {
      const int value = base[c] + static_cast<int>(wave) * (c + 1) / 3 + edge + grain;
      row[static_cast<size_t>(x) * 3 + static_cast<size_t>(c)] =
          static_cast<uint8_t>(std::clamp(value, 0, 255));
    }
  }
}

// The photo at path, written (quality 90) only when no earlier run left it.
inline bool EnsureSyntheticPhoto(const std::string& path, int width, int height,
                                 uint32_t variant = 0) {
  if (std::filesystem::exists(path)) return true;
  const std::string partial = path + ".part";
  FILE* out = std::fopen(partial.c_str(), "wb");
  if (!out) return false;
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, out);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 90, TRUE);
  jpeg_start_compress(&info, TRUE);
  std::vector<uint8_t> row(static_cast<size_t>(width) * 3);
  for (int y = 0; y < height; ++y) {
    SyntheticPhotoRow(width, height, y, variant, row);
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  if (std::fclose(out) != 0) return false;
  std::filesystem::rename(partial, path);
  return true;
}

}  // namespace varn::bench
