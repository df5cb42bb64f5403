// Deflate64: streams zlib writes (deflate is Deflate64 as long as no match
// is 258 long) and hand-made ones using what only Deflate64 has.
#include <gtest/gtest.h>
#include <zlib.h>

#include <random>

#include "archivers/core/crc32.h"
#include "archivers/deflate/inflate64.h"

namespace rivano::arc {
namespace {

std::vector<std::uint8_t> rawDeflate(const std::string& text, int level, int strategy) {
  z_stream zs{};
  deflateInit2(&zs, level, Z_DEFLATED, -15, 8, strategy);
  std::vector<std::uint8_t> out(deflateBound(&zs, static_cast<uLong>(text.size())));
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  zs.avail_in = static_cast<uInt>(text.size());
  zs.next_out = out.data();
  zs.avail_out = static_cast<uInt>(out.size());
  deflate(&zs, Z_FINISH);
  out.resize(zs.total_out);
  deflateEnd(&zs);
  return out;
}

// Words repeat, but never 258 bytes in a row: longer than the 64 KiB window
// so the history wraps.
std::string words(std::size_t count) {
  std::mt19937 random(7);
  std::string text;
  for (std::size_t i = 0; i < count; ++i) text += "wall" + std::to_string(random() % 700) + ' ';
  return text;
}

TEST(Inflate64, DecodesStoredFixedAndDynamicBlocks) {
  const std::string text = words(30000);
  struct Case {
    int level, strategy;
  } cases[] = {{0, Z_DEFAULT_STRATEGY}, {6, Z_FIXED}, {9, Z_DEFAULT_STRATEGY}, {1, Z_HUFFMAN_ONLY}};
  for (const Case& c : cases) {
    const auto packed = rawDeflate(text, c.level, c.strategy);
    VectorSink sink;
    const InflateOutcome out = inflate64(packed, text.size(), sink);
    ASSERT_EQ(out.result, Result::ok) << c.level << "/" << c.strategy;
    EXPECT_EQ(std::string(sink.bytes.begin(), sink.bytes.end()), text);
    EXPECT_EQ(out.consumed, packed.size());
    EXPECT_EQ(out.crc, crc32Update(0, reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
  }
}

// LSB-first bit writer; Huffman codes go in most significant bit first.
class Bits {
 public:
  void put(std::uint32_t value, int count) {
    for (int i = 0; i < count; ++i) bit((value >> i) & 1);
  }
  void code(std::uint32_t value, int count) {
    for (int i = count - 1; i >= 0; --i) bit((value >> i) & 1);
  }
  // A fixed-Huffman literal/length symbol.
  void symbol(int s) {
    if (s < 144) code(0x30 + static_cast<std::uint32_t>(s), 8);
    else if (s < 256) code(0x190 + static_cast<std::uint32_t>(s - 144), 9);
    else if (s < 280) code(static_cast<std::uint32_t>(s - 256), 7);
    else code(0xC0 + static_cast<std::uint32_t>(s - 280), 8);
  }
  std::vector<std::uint8_t> bytes;

 private:
  void bit(std::uint32_t b) {
    if (used_ % 8 == 0) bytes.push_back(0);
    bytes.back() = static_cast<std::uint8_t>(bytes.back() | (b << (used_ % 8)));
    ++used_;
  }
  int used_ = 0;
};

TEST(Inflate64, LengthCode285CarriesSixteenExtraBits) {
  Bits b;
  b.put(1, 1);  // last block
  b.put(1, 2);  // fixed codes
  b.symbol('x');
  b.symbol(285);
  b.put(997, 16);  // length 3 + 997
  b.code(0, 5);    // distance 1
  b.symbol(256);
  VectorSink sink;
  const InflateOutcome out = inflate64(b.bytes, 5000, sink);
  ASSERT_EQ(out.result, Result::ok);
  EXPECT_EQ(std::string(sink.bytes.begin(), sink.bytes.end()), std::string(1001, 'x'));
}

TEST(Inflate64, DistanceCode30ReachesBack32769Bytes) {
  const std::string history = words(8000).substr(0, 40000);
  Bits stream;
  stream.put(0, 3);  // not last, stored: the rest of the byte is padding
  const auto length = static_cast<std::uint16_t>(history.size());
  for (std::uint16_t v : {length, static_cast<std::uint16_t>(~length)}) {
    stream.bytes.push_back(static_cast<std::uint8_t>(v));
    stream.bytes.push_back(static_cast<std::uint8_t>(v >> 8));
  }
  stream.bytes.insert(stream.bytes.end(), history.begin(), history.end());
  Bits tail;
  tail.put(1, 1);
  tail.put(1, 2);
  tail.symbol(257);  // length 3
  tail.code(30, 5);  // distance 32769 + 0
  tail.put(0, 14);
  tail.symbol(256);
  stream.bytes.insert(stream.bytes.end(), tail.bytes.begin(), tail.bytes.end());
  VectorSink sink;
  const InflateOutcome out = inflate64(stream.bytes, 1 << 20, sink);
  ASSERT_EQ(out.result, Result::ok);
  ASSERT_EQ(sink.bytes.size(), history.size() + 3);
  EXPECT_EQ(std::string(sink.bytes.end() - 3, sink.bytes.end()), history.substr(history.size() - 32769, 3));
}

TEST(Inflate64, RefusesDamagedTruncatedAndOversizedStreams) {
  const std::string text = words(5000);
  const auto packed = rawDeflate(text, 9, Z_DEFAULT_STRATEGY);
  VectorSink sink;
  EXPECT_EQ(inflate64(ByteSpan(packed).first(packed.size() / 2), text.size(), sink).result, Result::corrupt);
  EXPECT_EQ(inflate64(packed, text.size() - 1, sink).result, Result::tooLarge);
  Bits before;  // a match before anything was written
  before.put(1, 1);
  before.put(1, 2);
  before.symbol(257);
  before.code(0, 5);
  before.symbol(256);
  EXPECT_EQ(inflate64(before.bytes, 100, sink).result, Result::corrupt);
  const std::vector<std::uint8_t> badType = {0x07};  // block type 3
  EXPECT_EQ(inflate64(badType, 100, sink).result, Result::corrupt);
  EXPECT_EQ(inflate64({}, 100, sink).result, Result::corrupt);
}

}  // namespace
}  // namespace rivano::arc
