// Most-significant-bit-first reader over a member's packed bytes, with a
// 64-bit buffer so that a whole symbol with its extra bits is read after one
// refill. Reading past the end yields zero bits; the decoder only lets that
// happen inside the last byte of a block, whose size it checked against the
// packed bytes before decoding it.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "archivers/core/archive_format.h"

namespace rivano::arc::rar5 {

class BitReader {
 public:
  BitReader() = default;
  explicit BitReader(ByteSpan data) : data_(data.data()), size_(data.size()) {}

  // Afterwards at least 57 bits can be peeked.
  void refill() {
    if (pos_ + 8 <= size_) {
      std::uint64_t v;
      std::memcpy(&v, data_ + pos_, 8);
      if constexpr (std::endian::native == std::endian::little) v = __builtin_bswap64(v);
      buf_ |= v >> bits_;
      const unsigned whole = (63 - bits_) >> 3;
      pos_ += whole;
      bits_ += whole * 8;
    } else {
      while (bits_ <= 56) {
        const std::uint64_t b = pos_ < size_ ? data_[pos_] : 0;
        ++pos_;
        buf_ |= b << (56 - bits_);
        bits_ += 8;
      }
    }
  }
  // n in 1..57, after refill().
  std::uint32_t peek(unsigned n) const { return static_cast<std::uint32_t>(buf_ >> (64 - n)); }
  std::uint64_t peek64(unsigned n) const { return buf_ >> (64 - n); }
  void skip(unsigned n) {
    buf_ <<= n;
    bits_ -= n;
  }
  std::uint32_t read(unsigned n) {
    const std::uint32_t v = peek(n);
    skip(n);
    return v;
  }
  void alignToByte() { skip(bits_ & 7); }
  // Bits consumed since the start of the packed bytes.
  std::uint64_t position() const { return std::uint64_t{pos_} * 8 - bits_; }
  std::size_t size() const { return size_; }

 private:
  const std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t pos_ = 0;  // next byte to load (may pass size_: zeros)
  std::uint64_t buf_ = 0;
  unsigned bits_ = 0;  // valid bits at the top of buf_
};

}  // namespace rivano::arc::rar5
