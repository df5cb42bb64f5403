// The shared LZ77 + Huffman decoder and ARJ's method 4 driven directly:
// output in odd-sized pieces, cut input, hand-made streams.
#include <gtest/gtest.h>

#include "archivers/arj/arj_fast.h"
#include "archivers/arj/arj_reader.h"
#include "archivers/lzh/lzh_decoder.h"
#include "archivers/lzh/lzh_reader.h"
#include "tests/archivers/decoders/decoder_test_util.h"

namespace rivano::arc::test {
namespace {

// The packed bytes and size of the first member (text.txt) of an archive.
struct Packed {
  Bytes archive;
  ByteSpan data;
  std::size_t size = 0;
};

Packed firstMember(const std::string& file, bool arj) {
  Packed p;
  p.archive = readFile(fixture(file));
  Result r;
  auto reader = arj ? openArj(p.archive, Limits{}, r) : openLzh(p.archive, Limits{}, r);
  std::vector<MemberEntry> members;
  EXPECT_TRUE(reader && reader->list(members) == Result::ok);
  if (members.empty()) return p;
  p.data = ByteSpan(p.archive).subspan(static_cast<std::size_t>(members[0].locator),
                                       static_cast<std::size_t>(members[0].packedSize));
  p.size = static_cast<std::size_t>(members[0].size);
  return p;
}

template <class Decoder>
Result readInPieces(Decoder& d, std::size_t size, Bytes& out) {
  const std::size_t pieces[] = {1, 2, 3, 7, 254, 255, 256, 257, 4093, 65537};
  out.clear();
  for (std::size_t i = 0; out.size() < size; ++i) {
    std::size_t want = std::min(pieces[i % 10], size - out.size());
    Bytes chunk(want);
    std::size_t n = 0;
    Result r = d.read(chunk.data(), want, n);
    if (r != Result::ok) return r;
    EXPECT_EQ(n, want);
    out.insert(out.end(), chunk.begin(), chunk.begin() + static_cast<long>(n));
  }
  return Result::ok;
}

struct Case {
  const char* file;
  bool arj;
  int method;  // LZH digit or ARJ method
};

std::unique_ptr<lz::LzHuffDecoder> lzFor(const Case& c, ByteSpan data) {
  bool known = true;
  auto params = c.arj ? lz::arjParams() : lz::lzhParams(static_cast<char>('0' + c.method), known);
  EXPECT_TRUE(known);
  return std::make_unique<lz::LzHuffDecoder>(data, params);
}

class PiecewiseDecode : public ::testing::TestWithParam<Case> {};

TEST_P(PiecewiseDecode, OddSizedReadsMatchTheOriginal) {
  const Case c = GetParam();
  Packed p = firstMember(c.file, c.arj);
  ASSERT_GT(p.size, 100000u);  // several windows and blocks
  Bytes out;
  if (c.arj && c.method == 4) {
    arj::FastDecoder d(p.data);
    ASSERT_EQ(readInPieces(d, p.size, out), Result::ok);
  } else {
    auto d = lzFor(c, p.data);
    ASSERT_EQ(readInPieces(*d, p.size, out), Result::ok);
  }
  EXPECT_TRUE(out == readFile(original("text.txt")));
}

TEST_P(PiecewiseDecode, CutInputIsCorruptNotZeroFilled) {
  const Case c = GetParam();
  Packed p = firstMember(c.file, c.arj);
  ByteSpan cut = p.data.first(p.data.size() / 2);
  Bytes out;
  Result r;
  if (c.arj && c.method == 4) {
    arj::FastDecoder d(cut);
    r = readInPieces(d, p.size, out);
  } else {
    auto d = lzFor(c, cut);
    r = readInPieces(*d, p.size, out);
  }
  EXPECT_EQ(r, Result::corrupt);
  EXPECT_LT(out.size(), p.size);
}

INSTANTIATE_TEST_SUITE_P(LzhAndArj, PiecewiseDecode,
                         ::testing::Values(Case{"lh5_h0.lzh", false, 5}, Case{"lh6_h1.lzh", false, 6},
                                           Case{"lh7_h2.lzh", false, 7}, Case{"m1.arj", true, 1},
                                           Case{"m2.arj", true, 2}, Case{"m3.arj", true, 3},
                                           Case{"m4.arj", true, 4}));

// Bits written most significant first, for hand-made streams.
struct BitWriter {
  Bytes bytes;
  int used = 8;
  void put(std::uint32_t value, int n) {
    for (int i = n - 1; i >= 0; --i) {
      if (used == 8) {
        bytes.push_back(0);
        used = 0;
      }
      if ((value >> i) & 1) bytes.back() |= static_cast<std::uint8_t>(0x80 >> used);
      ++used;
    }
  }
};

// One block whose codes are all single-symbol (zero-bit) codes: the literal
// code always yields `literal`, so the block is that byte repeated.
Bytes singleSymbolBlock(std::uint16_t count, int literal) {
  BitWriter w;
  w.put(count, 16);
  w.put(0, 5);  // code-length code: one symbol
  w.put(0, 5);
  w.put(0, 9);  // literal code: one symbol
  w.put(static_cast<std::uint32_t>(literal), 9);
  w.put(0, 4);  // position code: one symbol (-lh5-)
  w.put(0, 4);
  return w.bytes;
}

TEST(LzHuffStreams, SingleSymbolCodesTakeNoBits) {
  Bytes s = singleSymbolBlock(1000, 'A');
  bool known = false;
  lz::LzHuffDecoder d(s, lz::lzhParams('5', known));
  Bytes out(1000);
  std::size_t n = 0;
  ASSERT_EQ(d.read(out.data(), out.size(), n), Result::ok);
  EXPECT_EQ(n, 1000u);
  EXPECT_EQ(std::count(out.begin(), out.end(), 'A'), 1000);
  // The block is used up; the next one would start beyond the input.
  EXPECT_EQ(d.read(out.data(), 1, n), Result::corrupt);
}

TEST(LzHuffStreams, OutOfRangeSymbolCountsAreCorrupt) {
  BitWriter w;
  w.put(10, 16);
  w.put(0, 5);
  w.put(25, 5);  // single code-length symbol 25 of only 19
  bool known = false;
  lz::LzHuffDecoder d(w.bytes, lz::lzhParams('5', known));
  std::uint8_t out[4];
  std::size_t n = 0;
  EXPECT_EQ(d.read(out, sizeof out, n), Result::corrupt);

  BitWriter over;
  over.put(10, 16);
  over.put(3, 5);  // three code lengths of 1 bit: over-subscribed
  for (int i = 0; i < 3; ++i) over.put(1, 3);
  over.put(0, 2);
  over.put(0, 16);
  lz::LzHuffDecoder d2(over.bytes, lz::lzhParams('5', known));
  EXPECT_EQ(d2.read(out, sizeof out, n), Result::corrupt);
}

TEST(HuffmanCode, UnownedPatternOfAnIncompleteCodeIsRejected) {
  const std::uint8_t lengths[] = {1, 0, 0};  // only "0" is a code
  lz::Huffman h;
  ASSERT_TRUE(h.build(lengths, 3));
  Bytes ones{0xFF, 0xFF, 0xFF};
  lz::BitReader br(ones);
  EXPECT_EQ(h.decode(br), -1);
  const std::uint8_t tooMany[] = {1, 1, 1};
  EXPECT_FALSE(h.build(tooMany, 3));
}

}  // namespace
}  // namespace rivano::arc::test
