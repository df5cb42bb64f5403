// Canonical Huffman decoding as RAR 2.x and 3.x use it: code lengths 0 to
// 15, codes assigned shortest first and in symbol order. A direct table on
// the first bits answers most symbols in one look-up; longer codes are found
// by comparing against the left-aligned limit of each length.
#pragma once

#include <cstddef>
#include <cstdint>

#include "archivers/rar/v20/bit_input.h"

namespace rivano::arc::rar {

class HuffmanTable {
 public:
  static constexpr unsigned kMaxSymbols = 306;
  static constexpr int kInvalid = -1;

  // Builds from code lengths; an all-zero table is accepted (it simply
  // decodes nothing). Returns false for more symbols than the table holds.
  bool build(const std::uint8_t* lengths, std::size_t count);

  // The next symbol, or kInvalid for a bit pattern no code covers.
  int decode(BitInput& in) const {
    const std::uint32_t bits = in.peek16();
    if (bits < limit_[kQuickBits]) {
      const std::uint32_t q = bits >> (16 - kQuickBits);
      in.skip(quickLength_[q]);
      return quickSymbol_[q];
    }
    return decodeSlow(in, bits);
  }

 private:
  static constexpr unsigned kQuickBits = 10;
  int decodeSlow(BitInput& in, std::uint32_t bits) const;

  // limit_[n]: first left-aligned 16-bit value past the codes of length <= n.
  std::uint32_t limit_[17] = {};
  // first_[n]: index in symbols_ of the first code of length n.
  std::uint32_t first_[17] = {};
  std::uint32_t count_ = 0;
  std::uint16_t symbols_[kMaxSymbols] = {};
  std::uint16_t quickSymbol_[1u << kQuickBits] = {};
  std::uint8_t quickLength_[1u << kQuickBits] = {};
};

}  // namespace rivano::arc::rar
