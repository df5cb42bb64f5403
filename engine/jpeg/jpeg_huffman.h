// Huffman tables and the bit reader of the entropy-coded data.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace rivano::jpeg::detail {

inline constexpr int kLookBits = 11;

// As wide as the machine's registers: 64-bit shifts cost several
// instructions in a 32-bit program. Either holds the 16 bits a code or a
// magnitude needs after a refill.
using BitBuffer = std::conditional_t<sizeof(void*) >= 8, std::uint64_t, std::uint32_t>;
inline constexpr int kBufferBits = static_cast<int>(sizeof(BitBuffer) * 8);

// Codes up to kLookBits long come from one look-up; longer ones from the
// canonical limits per length.
struct HuffmanTable {
  bool defined = false;
  std::array<std::uint16_t, 1 << kLookBits> fast{};  // (length << 8) | symbol; 0: longer code
  std::array<std::int32_t, 17> maxCode{};             // largest code of each length, -1: none
  std::array<std::int32_t, 17> valueOffset{};
  std::array<std::uint8_t, 256> values{};
  // AC tables: a run/size code and its magnitude bits together within
  // kLookBits: (value << 16) | (run << 8) | total length; 0: not so short.
  std::array<std::int32_t, 1 << kLookBits> fastAc{};
};

// From the sixteen counts and the symbols of a DHT table; false when the
// counts describe no prefix code.
bool buildHuffmanTable(const std::uint8_t* counts, const std::uint8_t* symbols, HuffmanTable& table);

// Reads bits MSB first, taking stuffed 0xFF 0x00 as 0xFF. At a marker it
// stops and supplies zero bits, counting them, so that a scan that needed
// more data than it had is told apart from one that ended where it should.
class BitReader {
 public:
  BitReader(const std::uint8_t* data, std::size_t size, std::size_t pos) : data_(data), size_(size), pos_(pos) {}

  int decode(const HuffmanTable& t) {
    if (count_ < 16) refill();
    const unsigned entry = t.fast[static_cast<unsigned>(buffer_ >> (kBufferBits - kLookBits))];
    if (entry != 0) {
      consume(static_cast<int>(entry >> 8));
      return static_cast<int>(entry & 0xFF);
    }
    return decodeLong(t);
  }

  // The next kLookBits bits, without taking them.
  unsigned peek() {
    if (count_ < 16) refill();
    return static_cast<unsigned>(buffer_ >> (kBufferBits - kLookBits));
  }

  void consume(int n) {
    buffer_ <<= n;
    count_ -= n;
  }

  // n from 0 to 16.
  int bits(int n) {
    if (n == 0) return 0;
    if (count_ < n) refill();
    const int v = static_cast<int>(buffer_ >> (kBufferBits - n));
    consume(n);
    return v;
  }

  int bit() { return bits(1); }

  // The signed value of an s-bit magnitude category (s from 1 to 15).
  int receiveExtend(int s) {
    const int v = bits(s);
    return v < (1 << (s - 1)) ? v - (1 << s) + 1 : v;
  }

  void skip(int n) {
    if (count_ < n) refill();
    consume(n);
  }

  // True when bits past the end of the data (or past a marker) were used.
  bool overran() const { return count_ < 8 * padding_; }

  // Drops the bits left in the current byte and takes the restart marker
  // RSTn that must follow; false when it is not there.
  bool restart(int n);

  // The byte after what the reader took; the next marker is at or after it.
  std::size_t position() const { return pos_; }

 private:
  void refill() {
    // Whole bytes at once while the next ones hold no 0xFF, which is to
    // say nearly always; the byte at a time below takes the rest.
    if (!marker_ && pos_ <= size_ && size_ - pos_ >= sizeof(BitBuffer)) {
      BitBuffer word;
      std::memcpy(&word, data_ + pos_, sizeof word);
      if constexpr (std::endian::native == std::endian::little) word = byteSwap(word);
      constexpr BitBuffer ones = static_cast<BitBuffer>(~BitBuffer{0}) / 0xFF;  // 0x0101...
      const BitBuffer inverted = ~word;
      if (((inverted - ones) & ~inverted & (ones << 7)) == 0) {
        const int bytes = (kBufferBits - count_) / 8;
        const int taken = 8 * bytes;
        buffer_ |= (word >> (kBufferBits - taken)) << (kBufferBits - count_ - taken);
        count_ += taken;
        pos_ += static_cast<std::size_t>(bytes);
        return;
      }
    }
    while (count_ <= kBufferBits - 8) {
      std::uint32_t byte = 0;
      if (!marker_ && pos_ < size_) {
        byte = data_[pos_];
        if (byte != 0xFF) {
          ++pos_;
        } else if (pos_ + 1 < size_ && data_[pos_ + 1] == 0) {
          pos_ += 2;
        } else {
          marker_ = true;
          byte = 0;
          ++padding_;
        }
      } else {
        ++padding_;
      }
      buffer_ |= static_cast<BitBuffer>(byte) << (kBufferBits - 8 - count_);
      count_ += 8;
    }
  }

  int decodeLong(const HuffmanTable& t);

  static std::uint32_t byteSwap(std::uint32_t v) { return __builtin_bswap32(v); }
  static std::uint64_t byteSwap(std::uint64_t v) { return __builtin_bswap64(v); }

  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_;
  BitBuffer buffer_ = 0;
  int count_ = 0;
  int padding_ = 0;
  bool marker_ = false;
};

}  // namespace rivano::jpeg::detail
