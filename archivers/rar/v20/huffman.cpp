#include "archivers/rar/v20/huffman.h"

namespace rivano::arc::rar {

bool HuffmanTable::build(const std::uint8_t* lengths, std::size_t count) {
  if (count > kMaxSymbols) return false;
  std::uint32_t lengthCount[16] = {};
  for (std::size_t i = 0; i < count; ++i) ++lengthCount[lengths[i] & 15];
  lengthCount[0] = 0;

  std::uint32_t upper = 0;
  first_[0] = 0;
  limit_[0] = 0;
  for (unsigned n = 1; n <= 15; ++n) {
    upper += lengthCount[n];
    // An over-full set of lengths pushes limits past 0x10000; every index
    // below such a limit still falls among the codes of that length.
    limit_[n] = upper << (16 - n);
    upper *= 2;
    first_[n] = first_[n - 1] + lengthCount[n - 1];
  }
  limit_[16] = 0xffffffffu;
  first_[16] = first_[15] + lengthCount[15];

  std::uint32_t next[16];
  for (unsigned n = 0; n < 16; ++n) next[n] = first_[n];
  for (std::size_t i = 0; i < count; ++i) {
    const unsigned n = lengths[i] & 15;
    if (n != 0) symbols_[next[n]++] = static_cast<std::uint16_t>(i);
  }
  count_ = first_[16];

  // The quick table: for each 10-bit prefix, the code it starts with when
  // that code is no longer than the prefix.
  unsigned n = 1;
  for (std::uint32_t q = 0; q < (1u << kQuickBits); ++q) {
    const std::uint32_t bits = q << (16 - kQuickBits);
    while (n <= kQuickBits && bits >= limit_[n]) ++n;
    if (n > kQuickBits) {
      quickLength_[q] = 0;
      quickSymbol_[q] = 0;
      continue;
    }
    const std::uint32_t index = first_[n] + ((bits - limit_[n - 1]) >> (16 - n));
    quickLength_[q] = static_cast<std::uint8_t>(n);
    quickSymbol_[q] = index < count_ ? symbols_[index] : 0;
  }
  return true;
}

int HuffmanTable::decodeSlow(BitInput& in, std::uint32_t bits) const {
  unsigned n = kQuickBits + 1;
  while (n <= 15 && bits >= limit_[n]) ++n;
  if (n > 15) return kInvalid;
  const std::uint32_t index = first_[n] + ((bits - limit_[n - 1]) >> (16 - n));
  if (index >= count_) return kInvalid;
  in.skip(n);
  return symbols_[index];
}

}  // namespace rivano::arc::rar
