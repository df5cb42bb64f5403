// Canonical prefix codes as RAR 5 stores them: code lengths per symbol (at
// most 15 bits), codes assigned shortest first and by symbol order within a
// length. Decoding takes one table look-up for codes of up to kQuickBits
// and a short walk over the per-length limits for the rare longer ones.
#pragma once

#include <cstdint>

#include "archivers/rar/v50/bit_reader.h"

namespace rivano::arc::rar5 {

class HuffmanTable {
 public:
  static constexpr unsigned kMaxSymbols = 306;
  static constexpr unsigned kMaxLength = 15;
  static constexpr unsigned kInvalid = 0xffff;

  // Fails on an over-subscribed set of lengths (no prefix code has them).
  // Incomplete sets are allowed: the bits no code names decode as kInvalid.
  bool build(const std::uint8_t* lengths, unsigned count);

  // After in.refill(); consumes the code's bits.
  unsigned decode(BitReader& in) const {
    const std::uint16_t e = quick_[in.peek(kQuickBits)];
    if (e != 0) {
      in.skip(e >> 9);
      return e & 0x1ff;
    }
    return decodeLong(in);
  }

 private:
  static constexpr unsigned kQuickBits = 10;
  unsigned decodeLong(BitReader& in) const;

  std::uint16_t quick_[1u << kQuickBits] = {};  // length << 9 | symbol; 0 = longer or no code
  std::uint32_t limit_[kMaxLength + 2] = {};    // first code after length L, left-aligned to 15 bits
  std::uint32_t first_[kMaxLength + 1] = {};    // first code of length L
  std::uint16_t offset_[kMaxLength + 1] = {};   // index in sorted_ of that code
  std::uint16_t sorted_[kMaxSymbols] = {};
};

}  // namespace rivano::arc::rar5
