// The chunk layer: the signature, each chunk's length, type and CRC, and
// what the decoder needs from the chunks it reads (header, palette,
// transparency, where the compressed data is).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "engine/png/png_decoder.h"
#include "engine/png/png_source.h"

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
  // holds one zlib stream. An offset rather than a list, since a file of
  // millions of tiny chunks must not cost memory by their number.
  std::uint64_t firstData = 0;
};

PngStatus readHeader(ByteSource& file, PngInfo& info);
// Walks every chunk up to IEND, checking each CRC and the order and form of
// those it reads.
PngStatus readChunks(ByteSource& file, PngChunks& chunks);

// The data of the run of IDAT chunks (already checked) that starts at an
// offset, a block at a time.
class DataChunks {
 public:
  DataChunks(ByteSource& file, std::uint64_t first);
  // The next block of data, empty once the run has ended or the file can
  // no longer be read.
  std::span<const std::uint8_t> next();

 private:
  ByteSource& file_;
  std::uint64_t at_;
  std::uint64_t leftInChunk_ = 0;
  std::vector<std::uint8_t> block_;
};

}  // namespace rivano::png
