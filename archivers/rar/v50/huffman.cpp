#include "archivers/rar/v50/huffman.h"

namespace rivano::arc::rar5 {

bool HuffmanTable::build(const std::uint8_t* lengths, unsigned count) {
  unsigned perLength[kMaxLength + 1] = {};
  for (unsigned s = 0; s < count; ++s) ++perLength[lengths[s] & 15];
  perLength[0] = 0;
  int left = 1;
  for (unsigned len = 1; len <= kMaxLength; ++len) {
    left = left * 2 - static_cast<int>(perLength[len]);
    if (left < 0) return false;
  }
  std::uint32_t code = 0;
  unsigned index = 0;
  for (unsigned len = 1; len <= kMaxLength; ++len) {
    code = (code + perLength[len - 1]) << 1;
    first_[len] = code;
    offset_[len] = static_cast<std::uint16_t>(index);
    index += perLength[len];
    limit_[len] = (code + perLength[len]) << (kMaxLength - len);
  }
  unsigned next[kMaxLength + 1];
  for (unsigned len = 1; len <= kMaxLength; ++len) next[len] = offset_[len];
  for (unsigned s = 0; s < count; ++s) {
    const unsigned len = lengths[s] & 15;
    if (len != 0) sorted_[next[len]++] = static_cast<std::uint16_t>(s);
  }
  for (auto& e : quick_) e = 0;
  for (unsigned len = 1; len <= kQuickBits; ++len) {
    for (unsigned i = 0; i < perLength[len]; ++i) {
      const unsigned symbol = sorted_[offset_[len] + i];
      const unsigned from = (first_[len] + i) << (kQuickBits - len);
      const unsigned to = from + (1u << (kQuickBits - len));
      const auto entry = static_cast<std::uint16_t>(len << 9 | symbol);
      for (unsigned c = from; c < to; ++c) quick_[c] = entry;
    }
  }
  return true;
}

unsigned HuffmanTable::decodeLong(BitReader& in) const {
  const std::uint32_t bits = in.peek(kMaxLength);
  for (unsigned len = kQuickBits + 1; len <= kMaxLength; ++len) {
    if (bits < limit_[len]) {
      in.skip(len);
      return sorted_[offset_[len] + ((bits >> (kMaxLength - len)) - first_[len])];
    }
  }
  return kInvalid;
}

}  // namespace rivano::arc::rar5
