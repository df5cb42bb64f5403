// The sliding window of the RAR 2.x and 3.x decoders. Positions are counted
// from the last reset (64-bit, so they never wrap); the buffer holds the
// last size() of them. A match may only reach back over bytes this stream
// has produced: a distance beyond them is damage, not a read of stale memory.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>

#include "archivers/core/archive_format.h"

namespace rivano::arc::rar {

class LzWindow {
 public:
  // Allocates a power-of-two buffer of at least `minSize` bytes, keeping
  // the present one when it is large enough (a solid stream keeps its window).
  void allocate(std::uint32_t minSize) {
    std::uint32_t size = 1;
    while (size < minSize) size <<= 1;
    if (buffer_ && size <= mask_ + 1) return;
    buffer_.reset(new std::uint8_t[size]);
    mask_ = size - 1;
    pos_ = 0;
  }
  bool allocated() const { return buffer_ != nullptr; }
  void resetHistory() { pos_ = 0; }

  std::uint32_t size() const { return mask_ + 1; }
  std::uint64_t pos() const { return pos_; }

  void put(std::uint8_t b) { buffer_[static_cast<std::uint32_t>(pos_++) & mask_] = b; }

  // Copies `length` bytes from `distance` back; false when the distance
  // reaches before the first byte produced or beyond the buffer.
  bool copy(std::uint32_t distance, std::uint32_t length) {
    if (distance == 0 || distance > pos_ || distance > mask_) return false;
    std::uint8_t* const w = buffer_.get();
    const std::uint32_t dst = static_cast<std::uint32_t>(pos_) & mask_;
    pos_ += length;
    if (dst >= distance && dst + length <= mask_ + 1) {
      std::uint8_t* d = w + dst;
      const std::uint8_t* s = d - distance;
      if (distance >= length) {
        std::memcpy(d, s, length);
      } else if (distance >= 8) {
        // Overlapping but at least 8 apart: each 8-byte step reads only
        // bytes already in place.
        std::uint32_t i = 0;
        for (; i + 8 <= length; i += 8) std::memcpy(d + i, s + i, 8);
        for (; i < length; ++i) d[i] = s[i];
      } else {
        for (std::uint32_t i = 0; i < length; ++i) d[i] = s[i];
      }
      return true;
    }
    std::uint32_t src = dst - distance;
    std::uint32_t at = dst;
    for (std::uint32_t i = 0; i < length; ++i) {
      w[at & mask_] = w[src & mask_];
      ++at;
      ++src;
    }
    return true;
  }

  // Byte at an absolute position still inside the buffer.
  std::uint8_t at(std::uint64_t absolute) const { return buffer_[static_cast<std::uint32_t>(absolute) & mask_]; }

  // Copies [from, from + length) out of the ring into `out`.
  void read(std::uint64_t from, std::uint32_t length, std::uint8_t* out) const {
    const std::uint32_t start = static_cast<std::uint32_t>(from) & mask_;
    const std::uint32_t first = length < mask_ + 1 - start ? length : mask_ + 1 - start;
    std::memcpy(out, buffer_.get() + start, first);
    if (first < length) std::memcpy(out + first, buffer_.get(), length - first);
  }

  // Hands [from, to) to the sink in at most two pieces.
  bool write(std::uint64_t from, std::uint64_t to, Sink& sink) const {
    while (from < to) {
      const std::uint32_t start = static_cast<std::uint32_t>(from) & mask_;
      std::uint64_t n = to - from;
      if (n > mask_ + 1 - start) n = mask_ + 1 - start;
      if (!sink.write(buffer_.get() + start, static_cast<std::size_t>(n))) return false;
      from += n;
    }
    return true;
  }

 private:
  std::unique_ptr<std::uint8_t[]> buffer_;
  std::uint32_t mask_ = 0;
  std::uint64_t pos_ = 0;
};

}  // namespace rivano::arc::rar
