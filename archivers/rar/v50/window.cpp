#include "archivers/rar/v50/window.h"

#include <algorithm>

namespace rivano::arc::rar5 {

void Window::grow(std::size_t size, std::uint64_t streamPos) {
  if (size <= size_) return;
  std::unique_ptr<std::uint8_t[]> bigger(new std::uint8_t[size]);
  const std::size_t keep = static_cast<std::size_t>(std::min<std::uint64_t>(streamPos, size_));
  const std::size_t newMask = size - 1;
  for (std::uint64_t p = streamPos - keep; p < streamPos;) {
    const std::size_t from = static_cast<std::size_t>(p & mask_);
    const std::size_t to = static_cast<std::size_t>(p & newMask);
    const std::size_t run = static_cast<std::size_t>(
        std::min<std::uint64_t>({streamPos - p, size_ - from, size - to}));
    std::memcpy(bigger.get() + to, bytes_.get() + from, run);
    p += run;
  }
  bytes_ = std::move(bigger);
  size_ = size;
  mask_ = newMask;
}

void Window::copyMatch(std::uint64_t pos, std::uint64_t distance, std::size_t length) {
  // A whole window back is the byte already in each place.
  if (distance == size_) return;
  const std::size_t dst = index(pos);
  const std::size_t src = index(pos - distance);
  std::uint8_t* w = bytes_.get();
  if (dst + length <= size_ && src + length <= size_) {
    std::uint8_t* d = w + dst;
    const std::uint8_t* s = w + src;
    if (length < 8 || (src > dst && src - dst < length + 8)) {
      // Short, or the source lies just ahead in memory (a distance close to
      // the window size): one byte at a time reads each byte before it changes.
      for (std::size_t i = 0; i < length; ++i) d[i] = s[i];
    } else if (distance >= 8) {
      // Eight bytes at a time; the last piece may overlap the one before,
      // which writes the same bytes again.
      std::size_t i = 0;
      for (; i + 8 <= length; i += 8) std::memcpy(d + i, s + i, 8);
      if (i < length) std::memcpy(d + length - 8, s + length - 8, 8);
    } else if (distance == 1) {
      std::memset(d, *s, length);
    } else {
      for (std::size_t i = 0; i < length; ++i) d[i] = s[i];
    }
    return;
  }
  for (std::size_t i = 0; i < length; ++i) w[(dst + i) & mask_] = w[(src + i) & mask_];
}

void Window::read(std::uint64_t from, std::size_t length, std::uint8_t* out) const {
  const std::size_t start = index(from);
  const std::size_t first = std::min(length, size_ - start);
  std::memcpy(out, bytes_.get() + start, first);
  std::memcpy(out + first, bytes_.get(), length - first);
}

}  // namespace rivano::arc::rar5
