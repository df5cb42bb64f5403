#include "engine/jpeg/jpeg_huffman.h"

namespace rivano::jpeg::detail {

bool buildHuffmanTable(const std::uint8_t* counts, const std::uint8_t* symbols, HuffmanTable& table) {
  table = HuffmanTable{};
  int code = 0;
  int k = 0;
  for (int length = 1; length <= 16; ++length) {
    const int count = counts[length - 1];
    table.valueOffset[length] = k - code;
    table.maxCode[length] = -1;
    // The codes of this length must fit in it, and none may be all ones.
    if (count > 0 && code + count >= (1 << length)) return false;
    for (int i = 0; i < count; ++i, ++k, ++code) {
      if (k >= 256) return false;
      table.values[k] = symbols[k];
      if (length <= kLookBits) {
        const int shift = kLookBits - length;
        const auto entry = static_cast<std::uint16_t>((length << 8) | symbols[k]);
        for (int fill = 0; fill < (1 << shift); ++fill) table.fast[(code << shift) | fill] = entry;
      }
    }
    if (count > 0) table.maxCode[length] = code - 1;
    code <<= 1;
  }
  for (unsigned bits = 0; bits < table.fast.size(); ++bits) {
    const unsigned entry = table.fast[bits];
    if (entry == 0) continue;
    const int length = static_cast<int>(entry >> 8);
    const int run = static_cast<int>((entry >> 4) & 15);
    const int size = static_cast<int>(entry & 15);
    if (size == 0 || length + size > kLookBits) continue;
    const int magnitude = static_cast<int>((bits >> (kLookBits - length - size)) & ((1u << size) - 1));
    const int value = magnitude < (1 << (size - 1)) ? magnitude - (1 << size) + 1 : magnitude;
    table.fastAc[bits] = static_cast<std::int32_t>(static_cast<std::uint32_t>(value) << 16) | (run << 8) | (length + size);
  }
  table.defined = true;
  return true;
}

int BitReader::decodeLong(const HuffmanTable& t) {
  for (int length = kLookBits + 1; length <= 16; ++length) {
    const auto code = static_cast<std::int32_t>(buffer_ >> (kBufferBits - length));
    if (code <= t.maxCode[length]) {
      consume(length);
      return t.values[static_cast<std::size_t>(t.valueOffset[length] + code) & 0xFF];
    }
  }
  return -1;
}

bool BitReader::restart(int n) {
  buffer_ = 0;
  count_ = 0;
  padding_ = 0;
  marker_ = false;
  while (pos_ < size_ && data_[pos_] == 0xFF && pos_ + 1 < size_ && data_[pos_ + 1] == 0xFF) ++pos_;
  if (pos_ + 1 >= size_ || data_[pos_] != 0xFF || data_[pos_ + 1] != 0xD0 + n) return false;
  pos_ += 2;
  return true;
}

}  // namespace rivano::jpeg::detail
