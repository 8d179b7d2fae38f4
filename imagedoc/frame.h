// Frames round a rendered picture's corners or put it into a larger canvas
// with a 15-pixel margin, optionally with a caption line under it (DrawFrame,
// declared with the other overlays in decorations.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace varn::imagedoc {

// Frame indexes run from 0 (none) to kFrameCount - 1.
inline constexpr int32_t kFrameCount = 10;
// The band a caption adds under the bottom margin.
inline constexpr int32_t kCaptionBand = 20;

// The caption under framed pictures with their caption flag set: one text for
// every picture of the process, which the control sets from its page address.
// Empty until set; safe to call from any thread. Renderings cached before a
// change keep the old caption: the caller re-renders the pictures it shows.
void SetFrameCaptionText(std::u16string_view text);
std::u16string FrameCaptionText();

}  // namespace varn::imagedoc
