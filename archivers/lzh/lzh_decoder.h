// The LZ77 + static Huffman family shared by LZH (-lh4- to -lh7-) and ARJ
// (methods 1 to 3): blocks of Huffman tables followed by literals and
// (length, distance) pairs over a sliding window. Also the MSB-first bit
// reader and the window that ARJ's method 4 reuses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "archivers/core/archive_format.h"

namespace rivano::arc::lz {

// Reads bits most significant first. Past the end it feeds zero bits and
// remembers that it did, so a truncated stream is caught as soon as one of
// those invented bits is consumed rather than after gigabytes of zeros.
class BitReader {
 public:
  explicit BitReader(ByteSpan in) : p_(in.data()), end_(in.data() + in.size()) {}

  // Up to 32 bits without consuming them.
  std::uint32_t peek(int n) {
    if (n == 0) return 0;
    if (count_ < n) refill();
    return static_cast<std::uint32_t>(buf_ >> (64 - n));
  }
  void skip(int n) {
    if (count_ < n) refill();
    buf_ <<= n;
    count_ -= n;
  }
  std::uint32_t get(int n) {
    std::uint32_t v = peek(n);
    skip(n);
    return v;
  }
  // Drops the bits left in the byte being read.
  void alignToByte() { skip(count_ & 7); }
  // True once a bit beyond the real input has been consumed.
  bool overrun() const { return padBits_ > static_cast<std::uint64_t>(count_); }
  // Whole bytes not yet consumed (buffered bits included).
  std::size_t bytesLeft() const {
    std::uint64_t bits = static_cast<std::uint64_t>(end_ - p_) * 8 + static_cast<std::uint64_t>(count_);
    return bits > padBits_ ? static_cast<std::size_t>((bits - padBits_) / 8) : 0;
  }

 private:
  void refill() {
    while (count_ <= 56) {
      std::uint64_t b = 0;
      if (p_ < end_) {
        b = *p_++;
      } else {
        padBits_ += 8;
      }
      buf_ |= b << (56 - count_);
      count_ += 8;
    }
  }

  const std::uint8_t* p_;
  const std::uint8_t* end_;
  std::uint64_t buf_ = 0;
  int count_ = 0;
  std::uint64_t padBits_ = 0;
};

// Canonical Huffman code (shorter codes first, symbol order within a
// length), at most 16 bits a code. A code of one symbol takes zero bits.
class Huffman {
 public:
  static constexpr int kMaxSymbols = 512;
  static constexpr int kMaxLen = 16;

  // False when the lengths over-subscribe the code space or are too long.
  bool build(const std::uint8_t* lengths, int n);
  void buildSingle(int symbol);
  // Symbol, or -1 for a bit pattern no symbol owns.
  int decode(BitReader& br) const {
    if (single_ >= 0) return single_;
    std::uint32_t bits = br.peek(kMaxLen);
    std::uint16_t e = fast_[bits >> (kMaxLen - kFastBits)];
    if (e & 31) {
      br.skip(e & 31);
      return e >> 5;
    }
    return decodeSlow(br, bits);
  }

 private:
  static constexpr int kFastBits = 10;
  int decodeSlow(BitReader& br, std::uint32_t bits) const;

  int single_ = -1;
  std::uint16_t fast_[1 << kFastBits] = {};
  std::uint32_t first_[kMaxLen + 1] = {};
  std::uint16_t count_[kMaxLen + 1] = {};
  std::uint16_t offset_[kMaxLen + 1] = {};
  std::uint16_t sorted_[kMaxSymbols] = {};
};

// 64 KiB ring: large enough for every window of both formats, and a power
// of two so positions wrap with a mask.
struct Window {
  static constexpr std::uint32_t kSize = 1u << 16;
  static constexpr std::uint32_t kMask = kSize - 1;
  explicit Window(std::uint8_t fill) : bytes(kSize, fill) {}
  // Copies n bytes of a match `distance` behind `pos` into the window and to
  // `out`, byte by byte so that overlapping matches repeat; returns the new
  // position. The hot loop of every decoder of the family.
  static std::uint32_t copyMatch(std::uint8_t* win, std::uint32_t pos, std::uint32_t distance, std::size_t n,
                                 std::uint8_t* out) {
    const std::uint32_t from = pos - distance;
    for (std::size_t i = 0; i < n; ++i) {
      const std::uint8_t b = win[(from + i) & kMask];
      win[(pos + i) & kMask] = b;
      out[i] = b;
    }
    return pos + static_cast<std::uint32_t>(n);
  }
  std::vector<std::uint8_t> bytes;
  std::uint32_t pos = 0;
};

// Parameters of one member of the family.
struct LzHuffParams {
  int positionCodes;  // number of distance codes (NP)
  int positionBits;   // bits that store how many distance lengths follow
  std::uint8_t windowFill;
};

LzHuffParams lzhParams(char methodDigit, bool& known);  // '4'..'7'
LzHuffParams arjParams();                               // ARJ methods 1-3

// Decodes into caller buffers of any size; state carries over between
// calls, a match may be split across two of them.
class LzHuffDecoder {
 public:
  LzHuffDecoder(ByteSpan input, const LzHuffParams& params);
  // Fills out[0..cap) unless the stream is broken; produced says how many.
  Result read(std::uint8_t* out, std::size_t cap, std::size_t& produced);

 private:
  Result startBlock();
  bool readCodeLengthCode();
  bool readLiteralCode();
  bool readPositionCode();
  int decodeDistance();

  BitReader br_;
  LzHuffParams params_;
  Window window_;
  Huffman lengthCode_;    // codes the literal/length code lengths
  Huffman literalCode_;   // literals 0-255, match lengths 256-509
  Huffman positionCode_;  // distance bit counts
  std::uint32_t blockLeft_ = 0;
  std::uint32_t matchLeft_ = 0;
  std::uint32_t matchDistance_ = 0;
};

}  // namespace rivano::arc::lz

namespace rivano::arc::lz {

// Runs a decoder (anything with read(out, cap, produced)) for exactly size
// bytes into the sink, feeding each chunk to check (a running CRC).
template <class Decoder, class Check>
Result pumpToSink(Decoder& decoder, std::uint64_t size, Sink& sink, Check&& check) {
  constexpr std::size_t kChunk = 64 * 1024;
  std::vector<std::uint8_t> buf(static_cast<std::size_t>(size < kChunk ? size : kChunk));
  while (size > 0) {
    std::size_t want = static_cast<std::size_t>(size < buf.size() ? size : buf.size());
    std::size_t got = 0;
    Result r = decoder.read(buf.data(), want, got);
    if (r != Result::ok) return r;
    if (got != want) return Result::corrupt;
    check(buf.data(), got);
    if (!sink.write(buf.data(), got)) return Result::ioError;
    size -= got;
  }
  return Result::ok;
}

}  // namespace rivano::arc::lz
