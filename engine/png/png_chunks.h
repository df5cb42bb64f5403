// The chunk layer: the signature, each chunk's length, type and CRC, and
// what the decoder needs from the chunks it reads (header, palette,
// transparency, the compressed data).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "engine/png/png_decoder.h"

namespace rivano::png {

struct PaletteEntry {
  std::uint8_t red = 0, green = 0, blue = 0, alpha = 255;
};

struct PngChunks {
  PngInfo info;
  std::vector<PaletteEntry> palette;
  // A colour key from tRNS for grey (first sample) or RGB pictures, in the
  // samples' own bit depth.
  bool hasKey = false;
  std::array<std::uint16_t, 3> key{};
  // Where the first IDAT chunk starts; the run of IDAT chunks from there
  // holds one zlib stream. Offsets rather than a list, since a file of
  // millions of tiny chunks must not cost memory by their number.
  std::size_t firstData = 0;
};

// Walks the run of IDAT chunks (already checked) that starts at an offset.
class DataChunks {
 public:
  DataChunks(std::span<const std::uint8_t> file, std::size_t first) : file_(file), at_(first) {}
  // The next chunk's data, empty once the run has ended.
  std::span<const std::uint8_t> next();

 private:
  std::span<const std::uint8_t> file_;
  std::size_t at_;
};

PngStatus readHeader(std::span<const std::uint8_t> file, PngInfo& info);
// Walks every chunk up to IEND, checking each CRC and the order and form of
// those it reads.
PngStatus readChunks(std::span<const std::uint8_t> file, PngChunks& chunks);

}  // namespace rivano::png
