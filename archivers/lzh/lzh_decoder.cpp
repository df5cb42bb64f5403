#include "archivers/lzh/lzh_decoder.h"

#include <algorithm>
#include <cstring>

namespace rivano::arc::lz {

namespace {
constexpr int kLiteralCodes = 510;  // 256 literals + match lengths 3..256
constexpr int kLengthCodes = 19;    // code lengths 0..16 plus three run codes
constexpr int kLiteralCountBits = 9;
constexpr int kLengthCountBits = 5;
constexpr int kMinMatch = 3;
}  // namespace

bool Huffman::build(const std::uint8_t* lengths, int n) {
  single_ = -1;
  std::memset(count_, 0, sizeof count_);
  for (int s = 0; s < n; ++s) {
    if (lengths[s] > kMaxLen) return false;
    ++count_[lengths[s]];
  }
  count_[0] = 0;
  std::uint32_t code = 0;
  std::uint16_t offset = 0;
  for (int len = 1; len <= kMaxLen; ++len) {
    first_[len] = code;
    offset_[len] = offset;
    offset = static_cast<std::uint16_t>(offset + count_[len]);
    code += count_[len];
    if (code > (1u << len)) return false;  // over-subscribed
    code <<= 1;
  }
  std::uint16_t next[kMaxLen + 1];
  std::memcpy(next, offset_, sizeof next);
  for (int s = 0; s < n; ++s) {
    if (lengths[s]) sorted_[next[lengths[s]]++] = static_cast<std::uint16_t>(s);
  }
  std::memset(fast_, 0, sizeof fast_);
  for (int len = 1; len <= kFastBits; ++len) {
    for (std::uint32_t i = 0; i < count_[len]; ++i) {
      std::uint32_t c = first_[len] + i;
      std::uint32_t from = c << (kFastBits - len);
      std::uint32_t to = (c + 1) << (kFastBits - len);
      auto e = static_cast<std::uint16_t>(len | (sorted_[offset_[len] + i] << 5));
      for (std::uint32_t k = from; k < to; ++k) fast_[k] = e;
    }
  }
  return true;
}

void Huffman::buildSingle(int symbol) { single_ = symbol; }

int Huffman::decodeSlow(BitReader& br, std::uint32_t bits) const {
  for (int len = kFastBits + 1; len <= kMaxLen; ++len) {
    std::uint32_t code = bits >> (kMaxLen - len);
    std::uint32_t idx = code - first_[len];
    if (code >= first_[len] && idx < count_[len]) {
      br.skip(len);
      return sorted_[offset_[len] + idx];
    }
  }
  return -1;
}

LzHuffParams lzhParams(char methodDigit, bool& known) {
  known = true;
  switch (methodDigit) {
    case '4':
    case '5': return {14, 4, 0x20};
    case '6': return {16, 5, 0x20};
    case '7': return {17, 5, 0x20};
    default: known = false; return {14, 4, 0x20};
  }
}

LzHuffParams arjParams() { return {17, 5, 0}; }

LzHuffDecoder::LzHuffDecoder(ByteSpan input, const LzHuffParams& params)
    : br_(input), params_(params), window_(params.windowFill) {}

// Lengths of the code that codes the literal code's lengths. Lengths up to
// 6 take three bits; 7 and up continue in unary. After the third length a
// two-bit count of zero lengths follows.
bool LzHuffDecoder::readCodeLengthCode() {
  int n = static_cast<int>(br_.get(kLengthCountBits));
  if (n == 0) {
    int symbol = static_cast<int>(br_.get(kLengthCountBits));
    if (symbol >= kLengthCodes) return false;
    lengthCode_.buildSingle(symbol);
    return true;
  }
  if (n > kLengthCodes) return false;
  std::uint8_t lens[kLengthCodes] = {};
  for (int i = 0; i < n;) {
    int len = static_cast<int>(br_.get(3));
    if (len == 7) {
      while (br_.get(1)) {
        if (++len > Huffman::kMaxLen) return false;
      }
    }
    lens[i++] = static_cast<std::uint8_t>(len);
    if (i == 3) {
      int zeros = static_cast<int>(br_.get(2));
      if (i + zeros > n) return false;
      i += zeros;
    }
  }
  return lengthCode_.build(lens, kLengthCodes);
}

bool LzHuffDecoder::readLiteralCode() {
  int n = static_cast<int>(br_.get(kLiteralCountBits));
  if (n == 0) {
    int symbol = static_cast<int>(br_.get(kLiteralCountBits));
    if (symbol >= kLiteralCodes) return false;
    literalCode_.buildSingle(symbol);
    return true;
  }
  if (n > kLiteralCodes) return false;
  std::uint8_t lens[kLiteralCodes] = {};
  for (int i = 0; i < n;) {
    int c = lengthCode_.decode(br_);
    if (c < 0) return false;
    if (c > 2) {
      lens[i++] = static_cast<std::uint8_t>(c - 2);
      continue;
    }
    int zeros = c == 0 ? 1 : c == 1 ? static_cast<int>(br_.get(4)) + 3
                                    : static_cast<int>(br_.get(kLiteralCountBits)) + 20;
    if (i + zeros > n) return false;
    i += zeros;
  }
  return literalCode_.build(lens, kLiteralCodes);
}

bool LzHuffDecoder::readPositionCode() {
  const int np = params_.positionCodes;
  int n = static_cast<int>(br_.get(params_.positionBits));
  if (n == 0) {
    int symbol = static_cast<int>(br_.get(params_.positionBits));
    if (symbol >= np) return false;
    positionCode_.buildSingle(symbol);
    return true;
  }
  if (n > np) return false;
  std::uint8_t lens[32] = {};
  for (int i = 0; i < n; ++i) {
    int len = static_cast<int>(br_.get(3));
    if (len == 7) {
      while (br_.get(1)) {
        if (++len > Huffman::kMaxLen) return false;
      }
    }
    lens[i] = static_cast<std::uint8_t>(len);
  }
  return positionCode_.build(lens, np);
}

Result LzHuffDecoder::startBlock() {
  blockLeft_ = br_.get(16);
  if (blockLeft_ == 0) blockLeft_ = 1u << 16;  // the count wraps in the writer
  if (!readCodeLengthCode() || !readLiteralCode() || !readPositionCode()) return Result::corrupt;
  return br_.overrun() ? Result::corrupt : Result::ok;
}

int LzHuffDecoder::decodeDistance() {
  int code = positionCode_.decode(br_);
  if (code <= 1) return code;  // -1 (bad code), 0 or 1
  int extra = code - 1;
  return static_cast<int>((1u << extra) + br_.get(extra));
}

Result LzHuffDecoder::read(std::uint8_t* out, std::size_t cap, std::size_t& produced) {
  produced = 0;
  std::uint8_t* win = window_.bytes.data();
  std::uint32_t pos = window_.pos;
  Result result = Result::ok;
  while (produced < cap) {
    if (matchLeft_) {
      std::size_t n = std::min<std::size_t>(matchLeft_, cap - produced);
      pos = Window::copyMatch(win, pos, matchDistance_, n, out + produced);
      produced += n;
      matchLeft_ -= static_cast<std::uint32_t>(n);
      continue;
    }
    if (blockLeft_ == 0 && (result = startBlock()) != Result::ok) break;
    --blockLeft_;
    int c = literalCode_.decode(br_);
    if (c < 0 || br_.overrun()) {
      result = Result::corrupt;
      break;
    }
    if (c < 256) {
      win[pos++ & Window::kMask] = static_cast<std::uint8_t>(c);
      out[produced++] = static_cast<std::uint8_t>(c);
      continue;
    }
    int distance = decodeDistance();
    if (distance < 0) {
      result = Result::corrupt;
      break;
    }
    matchLeft_ = static_cast<std::uint32_t>(c - 256 + kMinMatch);
    matchDistance_ = static_cast<std::uint32_t>(distance) + 1;
  }
  window_.pos = pos;
  // The last distance's extra bits are read after the per-symbol check.
  if (result == Result::ok && br_.overrun()) result = Result::corrupt;
  return result;
}

}  // namespace rivano::arc::lz
