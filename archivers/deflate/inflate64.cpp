#include "archivers/deflate/inflate64.h"

#include <array>
#include <vector>

#include "archivers/core/crc32.h"

namespace rivano::arc {
namespace {

constexpr int kMaxBits = 15;
constexpr std::size_t kWindow = 1 << 16;

// Lengths 257..285 and distances 0..31; Deflate64 changes 285 and adds 30, 31.
constexpr std::array<std::uint16_t, 29> kLengthBase{3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                                    31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 3};
constexpr std::array<std::uint8_t, 29> kLengthExtra{0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                    2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 16};
constexpr std::array<std::uint16_t, 32> kDistanceBase{
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,   193,
    257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577, 32769, 49153};
constexpr std::array<std::uint8_t, 32> kDistanceExtra{0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,  6,
                                                      7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13, 14, 14};

struct Huffman {
  std::array<std::uint16_t, kMaxBits + 1> count{};
  std::array<std::uint16_t, 320> symbol{};
};

// Canonical code from code lengths; false when over-subscribed. An
// incomplete code is accepted: its unused patterns fail when decoded.
bool build(Huffman& h, const std::uint8_t* lengths, int n) {
  h.count.fill(0);
  for (int i = 0; i < n; ++i) ++h.count[lengths[i]];
  int left = 1;
  for (int len = 1; len <= kMaxBits; ++len) {
    left = (left << 1) - h.count[len];
    if (left < 0) return false;
  }
  std::array<std::uint16_t, kMaxBits + 1> offset{};
  for (int len = 1; len < kMaxBits; ++len) offset[len + 1] = static_cast<std::uint16_t>(offset[len] + h.count[len]);
  for (int i = 0; i < n; ++i) {
    if (lengths[i] != 0) h.symbol[offset[lengths[i]]++] = static_cast<std::uint16_t>(i);
  }
  return true;
}

class Inflater {
 public:
  Inflater(ByteSpan input, std::uint64_t limit, Sink& sink)
      : in_(input), limit_(limit), sink_(sink), window_(kWindow) {}

  InflateOutcome run() {
    bool last = false;
    while (result_ == Result::ok && !last) {
      last = bits(1) == 1;
      const std::uint32_t type = bits(2);
      if (result_ != Result::ok) break;
      if (type == 0) {
        stored();
      } else if (type == 1) {
        fixed();
      } else if (type == 2) {
        dynamic();
      } else {
        result_ = Result::corrupt;
      }
    }
    if (result_ == Result::ok) flush();
    return {result_, pos_ - bitCount_ / 8, produced_, crc_.value()};
  }

 private:
  std::uint32_t bits(int need) {
    while (bitCount_ < need) {
      if (pos_ == in_.size()) {
        result_ = Result::corrupt;  // the stream ends before its last block does
        return 0;
      }
      bitBuffer_ |= std::uint64_t{in_[pos_++]} << bitCount_;
      bitCount_ += 8;
    }
    const auto value = static_cast<std::uint32_t>(bitBuffer_ & ((std::uint64_t{1} << need) - 1));
    bitBuffer_ >>= need;
    bitCount_ -= need;
    return value;
  }

  int decode(const Huffman& h) {
    int code = 0, first = 0, index = 0;
    for (int len = 1; len <= kMaxBits; ++len) {
      code |= static_cast<int>(bits(1));
      if (result_ != Result::ok) return -1;
      const int count = h.count[len];
      if (code - count < first) return h.symbol[static_cast<std::size_t>(index + (code - first))];
      index += count;
      first = (first + count) << 1;
      code <<= 1;
    }
    result_ = Result::corrupt;  // a pattern no symbol has
    return -1;
  }

  void put(std::uint8_t byte) {
    if (result_ != Result::ok) return;
    window_[fill_++] = byte;
    ++total_;
    if (fill_ == kWindow) flush();
  }

  // Hands the bytes decoded since the last flush to the sink; the window
  // keeps them as history and wraps when full.
  void flush() {
    const std::size_t n = fill_ - flushed_;
    if (n > limit_ - produced_) {
      result_ = Result::tooLarge;
    } else if (n > 0 && result_ == Result::ok) {
      crc_.update(&window_[flushed_], n);
      if (!sink_.write(&window_[flushed_], n)) result_ = Result::ioError;
      produced_ += n;
    }
    if (fill_ == kWindow) fill_ = 0;
    flushed_ = fill_;
  }

  void stored() {
    bitBuffer_ >>= bitCount_ % 8;
    bitCount_ -= bitCount_ % 8;
    const std::uint32_t length = bits(16);
    const std::uint32_t inverse = bits(16);
    if (result_ != Result::ok || (length ^ 0xFFFF) != inverse) {
      result_ = Result::corrupt;
      return;
    }
    for (std::uint32_t i = 0; i < length && result_ == Result::ok; ++i) put(static_cast<std::uint8_t>(bits(8)));
  }

  void fixed() {
    std::array<std::uint8_t, 320> lengths{};
    for (int i = 0; i < 288; ++i) lengths[static_cast<std::size_t>(i)] = i < 144 ? 8 : i < 256 ? 9 : i < 280 ? 7 : 8;
    for (int i = 0; i < 32; ++i) lengths[static_cast<std::size_t>(288 + i)] = 5;
    Huffman lengthCode, distanceCode;
    build(lengthCode, lengths.data(), 288);
    build(distanceCode, lengths.data() + 288, 32);
    codes(lengthCode, distanceCode);
  }

  void dynamic();
  void codes(const Huffman& lengthCode, const Huffman& distanceCode);

  ByteSpan in_;
  std::size_t pos_ = 0;
  std::uint64_t bitBuffer_ = 0;
  int bitCount_ = 0;
  std::uint64_t limit_;
  Sink& sink_;
  std::vector<std::uint8_t> window_;
  std::size_t fill_ = 0, flushed_ = 0;
  std::uint64_t produced_ = 0;  // bytes flushed to the sink
  std::uint64_t total_ = 0;     // bytes decoded, for distance checks
  Crc32 crc_;
  Result result_ = Result::ok;
};

void Inflater::dynamic() {
  const int lengthCount = static_cast<int>(bits(5)) + 257;
  const int distanceCount = static_cast<int>(bits(5)) + 1;
  const int codeCount = static_cast<int>(bits(4)) + 4;
  if (result_ != Result::ok) return;
  static constexpr std::array<std::uint8_t, 19> kOrder{16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
  std::array<std::uint8_t, 19> codeLengths{};
  for (int i = 0; i < codeCount; ++i) codeLengths[kOrder[static_cast<std::size_t>(i)]] = static_cast<std::uint8_t>(bits(3));
  Huffman codeCode;
  if (result_ != Result::ok || !build(codeCode, codeLengths.data(), 19)) {
    result_ = Result::corrupt;
    return;
  }
  std::array<std::uint8_t, 320> lengths{};
  int i = 0;
  while (i < lengthCount + distanceCount && result_ == Result::ok) {
    const int symbol = decode(codeCode);
    if (symbol < 0) return;
    if (symbol < 16) {
      lengths[static_cast<std::size_t>(i++)] = static_cast<std::uint8_t>(symbol);
      continue;
    }
    if (symbol == 16 && i == 0) break;  // nothing to repeat
    const std::uint8_t value = symbol == 16 ? lengths[static_cast<std::size_t>(i - 1)] : 0;
    const int repeat = symbol == 16 ? 3 + static_cast<int>(bits(2)) : symbol == 17 ? 3 + static_cast<int>(bits(3))
                                                                                    : 11 + static_cast<int>(bits(7));
    if (i + repeat > lengthCount + distanceCount) break;
    for (int k = 0; k < repeat; ++k) lengths[static_cast<std::size_t>(i++)] = value;
  }
  Huffman lengthCode, distanceCode;
  if (result_ != Result::ok || i != lengthCount + distanceCount || lengths[256] == 0 ||
      !build(lengthCode, lengths.data(), lengthCount) ||
      !build(distanceCode, lengths.data() + lengthCount, distanceCount)) {
    if (result_ == Result::ok) result_ = Result::corrupt;
    return;
  }
  codes(lengthCode, distanceCode);
}

void Inflater::codes(const Huffman& lengthCode, const Huffman& distanceCode) {
  for (;;) {
    const int symbol = decode(lengthCode);
    if (symbol < 0 || symbol == 256) return;
    if (symbol < 256) {
      put(static_cast<std::uint8_t>(symbol));
      continue;
    }
    // The length's extra bits come before the distance code.
    const auto l = static_cast<std::size_t>(symbol - 257);
    if (l >= kLengthBase.size()) {
      result_ = Result::corrupt;
      return;
    }
    const std::uint32_t length = kLengthBase[l] + bits(kLengthExtra[l]);
    const int d = decode(distanceCode);
    if (d < 0) return;
    const auto ds = static_cast<std::size_t>(d);
    const std::uint32_t distance = kDistanceBase[ds] + bits(kDistanceExtra[ds]);
    if (result_ != Result::ok || distance > total_ || distance > kWindow) {
      result_ = Result::corrupt;  // a match reaching before the start
      return;
    }
    for (std::uint32_t k = 0; k < length && result_ == Result::ok; ++k) {
      put(window_[(fill_ + kWindow - distance) % kWindow]);
    }
  }
}

}  // namespace

InflateOutcome inflate64(ByteSpan input, std::uint64_t outputLimit, Sink& sink) {
  return Inflater(input, outputLimit, sink).run();
}

}  // namespace rivano::arc
