// Unfiltered rows to pixels: samples of any depth brought to eight bits,
// then drawn over the background by their alpha.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "engine/png/png_chunks.h"

namespace rivano::png {

int channelsOf(int colourType);

class PixelConverter {
 public:
  PixelConverter(const PngChunks& chunks, std::uint32_t background);
  int bitsPerPixel() const { return bitsPerPixel_; }
  // `count` pixels of an unfiltered row (or of an interlaced pass's row).
  void convert(const std::uint8_t* raw, std::int32_t count, std::uint32_t* out) const;

 private:
  std::uint32_t fromSamples(const std::uint16_t* samples) const;

  int colourType_;
  int depth_;
  int channels_;
  int bitsPerPixel_;
  std::uint32_t background_;
  bool hasKey_;
  std::array<std::uint16_t, 3> key_;
  // Grey levels and palette entries of the low depths, already drawn over
  // the background: a row of them is then one look-up a pixel.
  std::vector<std::uint32_t> table_;
};

}  // namespace rivano::png
