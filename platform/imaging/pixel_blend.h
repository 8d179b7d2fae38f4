// Row kernels for composing layers for the screen: source over of whole rows
// of 32-bit pixels, eight at a time where the processor allows, with runs of
// transparent or opaque source pixels taken without arithmetic. Every kernel
// gives exactly the result of its one-pixel reference below, whichever path
// runs; rounding is that of x / 255 to the nearest.
#pragma once

#include <cstdint>

namespace varn::imaging {

// Non-premultiplied source over an opaque destination; the result is opaque
// (transparent source pixels leave the destination alone).
void BlendOverOpaque(const uint32_t* source, uint32_t* dest, int32_t count);

// Premultiplied source over a premultiplied (or opaque) destination; sums
// saturate, so a source whose colour exceeds its alpha cannot wrap.
void BlendPremultipliedOver(const uint32_t* source, uint32_t* dest, int32_t count);

// Non-premultiplied source, premultiplied on the way, over a premultiplied
// destination: how layers pile up into a premultiplied composite.
void AccumulatePremultiplied(const uint32_t* source, uint32_t* dest, int32_t count);

// One pixel of each, the definition the row kernels keep to.
uint32_t BlendOverOpaquePixel(uint32_t source, uint32_t dest);
uint32_t BlendPremultipliedOverPixel(uint32_t source, uint32_t dest);
uint32_t AccumulatePremultipliedPixel(uint32_t source, uint32_t dest);

// Whether the rows above run eight pixels a step on this processor.
bool HasVectorBlend();

}  // namespace varn::imaging
