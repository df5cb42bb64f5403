#include "archivers/arj/arj_fast.h"

#include <algorithm>

namespace rivano::arc::arj {

namespace {
constexpr int kLengthFirst = 0, kLengthLast = 7;
constexpr int kDistanceFirst = 9, kDistanceLast = 13;
constexpr std::uint32_t kMinMatch = 3;
}  // namespace

// Each 1 bit of the prefix widens the code by one bit and adds the range
// the narrower width covered; a 0 bit (or the last width) ends the prefix.
std::uint32_t FastDecoder::readCode(int firstWidth, int lastWidth) {
  std::uint32_t plus = 0;
  std::uint32_t span = 1u << firstWidth;
  int width = firstWidth;
  for (; width < lastWidth; ++width) {
    if (!br_.get(1)) break;
    plus += span;
    span <<= 1;
  }
  return plus + br_.get(width);
}

Result FastDecoder::read(std::uint8_t* out, std::size_t cap, std::size_t& produced) {
  produced = 0;
  std::uint8_t* win = window_.bytes.data();
  std::uint32_t pos = window_.pos;
  Result result = Result::ok;
  while (produced < cap) {
    if (matchLeft_) {
      std::size_t n = std::min<std::size_t>(matchLeft_, cap - produced);
      pos = lz::Window::copyMatch(win, pos, matchDistance_, n, out + produced);
      produced += n;
      matchLeft_ -= static_cast<std::uint32_t>(n);
      continue;
    }
    std::uint32_t len = readCode(kLengthFirst, kLengthLast);
    if (len == 0) {
      auto b = static_cast<std::uint8_t>(br_.get(8));
      win[pos++ & lz::Window::kMask] = b;
      out[produced++] = b;
    } else {
      matchLeft_ = len - 1 + kMinMatch;
      matchDistance_ = readCode(kDistanceFirst, kDistanceLast) + 1;
    }
    if (br_.overrun()) {
      result = Result::corrupt;
      break;
    }
  }
  window_.pos = pos;
  return result;
}

}  // namespace rivano::arc::arj
