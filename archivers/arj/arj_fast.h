// ARJ method 4: LZ77 without Huffman tables. Lengths and distances are
// Elias-gamma-like codes: a unary prefix picks a width, the bits follow.
#pragma once

#include "archivers/lzh/lzh_decoder.h"

namespace rivano::arc::arj {

class FastDecoder {
 public:
  explicit FastDecoder(ByteSpan input) : br_(input), window_(0) {}
  // Same contract as lz::LzHuffDecoder::read.
  Result read(std::uint8_t* out, std::size_t cap, std::size_t& produced);

 private:
  std::uint32_t readCode(int firstWidth, int lastWidth);

  lz::BitReader br_;
  lz::Window window_;
  std::uint32_t matchLeft_ = 0;
  std::uint32_t matchDistance_ = 0;
};

}  // namespace rivano::arc::arj
