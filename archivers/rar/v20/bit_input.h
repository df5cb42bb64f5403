// Most-significant-bit-first reader over one member's packed bytes, as the
// RAR 2.x and 3.x coders write them. Reads past the end yield zero bits and
// are remembered, so the decoders check once per symbol instead of per bit.
#pragma once

#include <cstddef>
#include <cstdint>

#include "archivers/core/archive_format.h"

namespace rivano::arc::rar {

class BitInput {
 public:
  void reset(ByteSpan data) {
    data_ = data.data();
    size_ = data.size();
    bitPos_ = 0;
  }

  // The next 16 bits, left-aligned in the low 16 bits of the result.
  std::uint32_t peek16() const {
    const std::size_t p = static_cast<std::size_t>(bitPos_ >> 3);
    std::uint32_t v;
    if (p + 3 <= size_) {
      v = (std::uint32_t{data_[p]} << 16) | (std::uint32_t{data_[p + 1]} << 8) | data_[p + 2];
    } else {
      v = (byteAt(p) << 16) | (byteAt(p + 1) << 8) | byteAt(p + 2);
    }
    return (v >> (8 - (bitPos_ & 7))) & 0xffff;
  }
  void skip(unsigned bits) { bitPos_ += bits; }
  // 1 to 16 bits as an unsigned number.
  std::uint32_t bits(unsigned n) {
    const std::uint32_t v = peek16() >> (16 - n);
    bitPos_ += n;
    return v;
  }
  void alignToByte() { bitPos_ = (bitPos_ + 7) & ~std::uint64_t{7}; }
  // A whole byte at a byte boundary (the PPMd coder reads whole bytes).
  std::uint32_t byte() {
    const std::size_t p = static_cast<std::size_t>(bitPos_ >> 3);
    bitPos_ += 8;
    return byteAt(p);
  }

  // True once more bits were taken than the data holds.
  bool overrun() const { return bitPos_ > std::uint64_t{size_} * 8; }
  // Bytes not yet touched (whole bytes after the current position).
  std::size_t bytesLeft() const {
    const std::uint64_t p = (bitPos_ + 7) >> 3;
    return p >= size_ ? 0 : size_ - static_cast<std::size_t>(p);
  }

 private:
  std::uint32_t byteAt(std::size_t p) const { return p < size_ ? data_[p] : 0; }

  const std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
  std::uint64_t bitPos_ = 0;
};

}  // namespace rivano::arc::rar
