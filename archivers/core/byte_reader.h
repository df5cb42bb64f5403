// Bounded little-endian reader over bytes the reader does not own. Every
// read is checked against what remains; a failed read leaves the position
// where it was, so callers can report "corrupt" without further care.
#pragma once

#include <cstdint>
#include <cstring>

#include "archivers/core/archive_format.h"

namespace rivano::arc {

class ByteReader {
 public:
  explicit ByteReader(ByteSpan data, std::size_t position = 0) noexcept
      : data_(data), pos_(position <= data.size() ? position : data.size()) {}

  std::size_t position() const noexcept { return pos_; }
  std::size_t size() const noexcept { return data_.size(); }
  std::size_t remaining() const noexcept { return data_.size() - pos_; }
  bool atEnd() const noexcept { return pos_ == data_.size(); }

  bool seek(std::uint64_t position) noexcept {
    if (position > data_.size()) return false;
    pos_ = static_cast<std::size_t>(position);
    return true;
  }
  bool skip(std::uint64_t count) noexcept {
    if (count > remaining()) return false;
    pos_ += static_cast<std::size_t>(count);
    return true;
  }
  bool u8(std::uint8_t& out) noexcept { return fixed(out); }
  bool u16(std::uint16_t& out) noexcept { return fixed(out); }
  bool u32(std::uint32_t& out) noexcept { return fixed(out); }
  bool u64(std::uint64_t& out) noexcept { return fixed(out); }

  // A view of the next `count` bytes; nothing is copied or allocated.
  bool bytes(std::uint64_t count, ByteSpan& out) noexcept {
    if (count > remaining()) return false;
    out = data_.subspan(pos_, static_cast<std::size_t>(count));
    pos_ += static_cast<std::size_t>(count);
    return true;
  }
  // True when the next bytes equal `tag`; consumes them only then.
  bool expect(const char* tag, std::size_t length) noexcept {
    if (length > remaining() || std::memcmp(data_.data() + pos_, tag, length) != 0) return false;
    pos_ += length;
    return true;
  }

 private:
  template <typename T>
  bool fixed(T& out) noexcept {
    if (sizeof(T) > remaining()) return false;
    T value = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) {
      value = static_cast<T>(value | static_cast<T>(static_cast<T>(data_[pos_ + i]) << (8 * i)));
    }
    out = value;
    pos_ += sizeof(T);
    return true;
  }

  ByteSpan data_;
  std::size_t pos_;
};

// Reads a little-endian value at a fixed offset of a span known to be long enough.
inline std::uint32_t loadLe32(const std::uint8_t* p) noexcept {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
         std::uint32_t{p[3]} << 24;
}
inline std::uint16_t loadLe16(const std::uint8_t* p) noexcept {
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

}  // namespace rivano::arc
