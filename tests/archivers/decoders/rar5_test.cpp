// RAR 5 decoder: streams made by the test writer (run everywhere) and the
// RAR 5 samples of the shared corpus (when it is there).
#include <gtest/gtest.h>

#include "archivers/core/crc32.h"
#include "archivers/rar/v50/unpack50.h"
#include "tests/archivers/decoders/rar5_stream_writer.h"
#include "tests/archivers/decoders/rar_sample_walker.h"
#include "tests/archivers/decoders/rar_test_util.h"

namespace rivano::arc::test {
namespace {

constexpr std::uint64_t kDict = 0x20000;

Bytes ascending(std::size_t n) {
  Bytes b(n);
  for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(i * 7 + 3);
  return b;
}

Result decode(const Rar5StreamWriter& w, std::uint64_t size, Bytes& out, unsigned version = 0) {
  auto u = rar::makeUnpacker50(kDict, version);
  return unpackTo(*u, w.bytes(), size, false, out);
}

// A valid two-block member, the base of the damage below.
Rar5StreamWriter validMember() {
  Rar5StreamWriter w;
  w.literals(ascending(40));
  w.match(30, 10);
  w.endBlock(false);
  w.literals(ascending(5));
  w.endBlock(true, false);
  return w;
}

TEST(Rar5Stream, EverySymbolKindDecodesToWhatItMeans) {
  Rar5StreamWriter w;
  w.literals(ascending(600));
  w.match(5, 3);             // short distance, no extra bits
  w.repeatLast();            // same length, same distance
  w.match(20, 37);           // a few extra bits
  w.match(9, 300);           // past 256: stored one shorter
  w.match(6, 0x30);          // the last four are now 0x30, 300, 37, 3
  w.repeatDistance(3, 12);   // 3, the oldest, becomes the newest
  w.repeatDistance(1, 7);    // 0x30
  w.repeatDistance(2, 4);    // 300
  w.endBlock(false);
  w.match(4097, 1);          // longest match, in a block that keeps the tables
  w.match(4097, 2);
  w.match(30, 0x2100);       // low distance bits from their own code, bonus 2
  w.literal(0x55);
  w.endBlock(true, false);
  Bytes out;
  ASSERT_EQ(decode(w, w.expected().size(), out), Result::ok);
  EXPECT_TRUE(out == w.expected());
}

TEST(Rar5Stream, VersionOneReadsEightyDistanceCodes) {
  Rar5StreamWriter w(1);
  w.literals(ascending(300));
  w.match(10, 290);
  w.endBlock(true);
  Bytes out;
  ASSERT_EQ(decode(w, w.expected().size(), out, 1), Result::ok);
  EXPECT_TRUE(out == w.expected());
  auto later = rar::makeUnpacker50(kDict, 2);
  EXPECT_EQ(unpackTo(*later, w.bytes(), w.expected().size(), false, out), Result::unsupportedMethod);
}

// Filters: the decoded bytes and what must come out were worked out by hand
// from the format's description of each transform.
struct FilterCase {
  const char* name;
  unsigned type, channels;
  Bytes lead;     // bytes before the filtered block (they set its file offset)
  Bytes decoded;  // what the LZ stage produces for the block
  Bytes output;   // what the member must contain there
};

class Rar5Filter : public ::testing::TestWithParam<FilterCase> {};

TEST_P(Rar5Filter, TransformsItsBlockAtItsOffsetInTheMember) {
  const FilterCase& c = GetParam();
  Rar5StreamWriter w;
  w.literals(c.lead);
  w.filter(0, static_cast<std::uint32_t>(c.decoded.size()), c.type, c.channels);
  w.literals(c.decoded);
  w.literals({0x11, 0x22});  // after the block: untouched
  w.endBlock(true);
  Bytes want = c.lead;
  want.insert(want.end(), c.output.begin(), c.output.end());
  want.insert(want.end(), {0x11, 0x22});
  Bytes out;
  ASSERT_EQ(decode(w, want.size(), out), Result::ok);
  EXPECT_TRUE(out == want);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, Rar5Filter,
    ::testing::Values(
        // Two channels; each keeps running differences subtracted from 0.
        FilterCase{"delta", 0, 2, {}, {0xff, 0xff, 0xfe, 0xfe}, {1, 2, 2, 4}},
        // Call at member offset 2: the operand follows at 3; 0x105 - 3 = 0x102;
        // a small negative target (-2, 8 bytes in) gets 16 MiB added.
        FilterCase{"e8",
                   1,
                   1,
                   {'x', 'y'},
                   {0xe8, 0x05, 0x01, 0, 0, 0xe8, 0xfe, 0xff, 0xff, 0xff, 0x90, 0x90},
                   {0xe8, 0x02, 0x01, 0, 0, 0xe8, 0xfe, 0xff, 0xff, 0x00, 0x90, 0x90}},
        FilterCase{"e8 leaves jumps", 1, 1, {'x', 'y'}, {0xe9, 0x05, 0x01, 0, 0, 0x90, 0x90, 0x90},
                   {0xe9, 0x05, 0x01, 0, 0, 0x90, 0x90, 0x90}},
        FilterCase{"e8e9 converts jumps", 2, 1, {'x', 'y'}, {0xe9, 0x05, 0x01, 0, 0, 0x90, 0x90, 0x90},
                   {0xe9, 0x02, 0x01, 0, 0, 0x90, 0x90, 0x90}},
        // BL at member offset 4: word offset 0x10 less 4 / 4.
        FilterCase{"arm", 3, 1, {'a', 'b', 'c', 'd'}, {0x10, 0, 0, 0xeb, 0x20, 0, 0, 0},
                   {0x0f, 0, 0, 0xeb, 0x20, 0, 0, 0}}),
    [](const auto& info) {
      std::string n = info.param.name;
      for (auto& ch : n)
        if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
      return n;
    });

TEST(Rar5Stream, SolidMemberContinuesHistoryAndTablesButCountsFilterOffsetsFromItsOwnStart) {
  const Bytes firstBytes = ascending(100);
  Rar5StreamWriter first;
  first.literals(firstBytes);
  first.endBlock(true);
  Rar5StreamWriter second;
  second.match(50, 100);  // reaches into the first member
  second.filter(0, 8, 1);
  second.literals({0xe8, 0x05, 0x01, 0, 0, 0x90, 0x90, 0x90});
  second.endBlock(true, false);  // no tables: the first member's stay
  // The call's operand lies at offset 51 of the second member: 0x105 - 51.
  Bytes want(firstBytes.begin(), firstBytes.begin() + 50);
  want.insert(want.end(), {0xe8, 0xd2, 0, 0, 0, 0x90, 0x90, 0x90});

  auto u = rar::makeUnpacker50(kDict);
  Bytes out;
  ASSERT_EQ(unpackTo(*u, first.bytes(), 100, false, out), Result::ok);
  ASSERT_EQ(unpackTo(*u, second.bytes(), want.size(), true, out), Result::ok);
  EXPECT_TRUE(out == want);
  // Without `solid` the same member has neither tables nor history.
  EXPECT_EQ(unpackTo(*u, second.bytes(), want.size(), false, out), Result::corrupt);
}

// The window of a 128 KiB dictionary holds 256 KiB; matches reaching
// nearly or exactly that far back read the oldest bytes it keeps, which
// lie just ahead of the write position in memory.
TEST(Rar5Stream, MatchesReachingAcrossTheWholeWindow) {
  constexpr std::uint64_t kWindow = 0x40000;
  Rar5StreamWriter w;
  Bytes varied(300000);
  for (std::size_t i = 0; i < varied.size(); ++i) varied[i] = static_cast<std::uint8_t>((i * 2654435761u) >> 13);
  w.literals(varied);
  w.match(20, kWindow - 3);  // source three bytes ahead of the destination
  w.match(300, kWindow - 100);
  w.match(40, kWindow);
  w.match(4097, kWindow - 5000);
  w.endBlock(true);
  Bytes out;
  ASSERT_EQ(decode(w, w.expected().size(), out), Result::ok);
  EXPECT_TRUE(out == w.expected());
}

TEST(Rar5Stream, LargeMemberLeavesInPiecesNoLargerThanItsWindow) {
  Rar5StreamWriter w;
  Bytes period(256);
  for (unsigned i = 0; i < 256; ++i) period[i] = static_cast<std::uint8_t>(i);
  w.literals(period);
  for (int i = 0; i < 2600; ++i) w.match(4097, 256);
  w.endBlock(true);
  const std::size_t size = 256 + std::size_t{2600} * 4097;
  auto u = rar::makeUnpacker50(kDict);
  RecordingSink sink;
  ASSERT_EQ(u->unpack(ByteSpan(w.bytes()), size, false, sink), Result::ok);
  ASSERT_EQ(sink.bytes.size(), size);
  std::size_t wrong = 0;
  for (std::size_t i = 0; i < size; ++i) wrong += sink.bytes[i] != static_cast<std::uint8_t>(i);
  EXPECT_EQ(wrong, 0u);
  EXPECT_GT(sink.writes, 10u);
  EXPECT_LE(sink.largestWrite, std::size_t{1} << 18);
}

TEST(Rar5Limits, DictionaryAboveTheLimitIsRefusedWithoutAllocatingIt) {
  Rar5StreamWriter w;
  w.literals({1, 2, 3});
  w.endBlock(true);
  resetLargestAllocation();
  auto refused = rar::makeUnpacker50(rar::kMaxDictionary * 2);
  Bytes out;
  EXPECT_EQ(unpackTo(*refused, w.bytes(), 3, false, out), Result::tooLarge);
  EXPECT_TRUE(out.empty());
  EXPECT_LT(largestAllocation(), std::size_t{1} << 16);
}

TEST(Rar5Limits, SmallMemberOfLargeDictionaryGetsASmallWindow) {
  Rar5StreamWriter w;
  w.literals(ascending(1000));
  w.endBlock(true);
  resetLargestAllocation();
  auto u = rar::makeUnpacker50(rar::kMaxDictionary);
  Bytes out;
  ASSERT_EQ(unpackTo(*u, w.bytes(), 1000, false, out), Result::ok);
  EXPECT_TRUE(out == w.expected());
  EXPECT_LE(largestAllocation(), std::size_t{1} << 20);
}

TEST(Rar5Limits, SinkThatRefusesIsAnIoError) {
  Rar5StreamWriter w;
  w.literals(ascending(10));
  w.endBlock(true);
  auto u = rar::makeUnpacker50(kDict);
  RefusingSink sink;
  EXPECT_EQ(u->unpack(ByteSpan(w.bytes()), 10, false, sink), Result::ioError);
}

TEST(Rar5Damage, EveryTruncationIsCorrupt) {
  const Rar5StreamWriter w = validMember();
  const Bytes& full = w.bytes();
  auto u = rar::makeUnpacker50(kDict);
  for (std::size_t n = 0; n < full.size(); ++n) {
    Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n));
    Bytes out;
    EXPECT_EQ(unpackTo(*u, cut, w.expected().size(), false, out), Result::corrupt) << n << " bytes";
  }
}

TEST(Rar5Damage, BlockHeaderCheckByteIsChecked) {
  Rar5StreamWriter w = validMember();
  w.mutableBytes()[1] ^= 0x01;
  Bytes out;
  EXPECT_EQ(decode(w, w.expected().size(), out), Result::corrupt);
}

TEST(Rar5Damage, OutputMustMatchTheDeclaredSizeExactly) {
  const Rar5StreamWriter w = validMember();
  const std::uint64_t size = w.expected().size();
  Bytes out;
  EXPECT_EQ(decode(w, size + 1, out), Result::corrupt);  // stream ends early
  EXPECT_EQ(decode(w, size - 1, out), Result::corrupt);  // a literal past the end
  EXPECT_LE(out.size(), size - 1);
  EXPECT_EQ(decode(w, 60, out), Result::corrupt);        // the match crosses the end
  EXPECT_LE(out.size(), 60u);
}

TEST(Rar5Damage, DistancesBeforeTheStartOrWithoutHistoryAreCorrupt) {
  Rar5StreamWriter before;
  before.literals({1, 2});
  before.match(3, 3);
  before.endBlock(true);
  Rar5StreamWriter noHistory;
  noHistory.literals({1, 2});
  noHistory.repeatDistance(2, 3);
  noHistory.endBlock(true);
  Bytes out;
  EXPECT_EQ(decode(before, 5, out), Result::corrupt);
  EXPECT_EQ(decode(noHistory, 5, out), Result::corrupt);
  // Nor after a member of a non-solid run: its bytes are still in the
  // window, but they are not this member's history.
  auto u = rar::makeUnpacker50(kDict);
  const Rar5StreamWriter previous = validMember();
  ASSERT_EQ(unpackTo(*u, previous.bytes(), previous.expected().size(), false, out), Result::ok);
  EXPECT_EQ(unpackTo(*u, before.bytes(), 5, false, out), Result::corrupt);
}

TEST(Rar5Damage, OverSubscribedCodeAndUnknownFilterAreCorrupt) {
  // Twenty level codes of one bit each cannot form a prefix code.
  Rar5StreamWriter levels;
  for (int i = 0; i < 20; ++i) levels.bits(1, 4);
  levels.endBlock(true, false);
  Bytes& b = levels.mutableBytes();
  b[0] |= 0x80;  // claim the tables are there, and fix the check byte
  b[1] = static_cast<std::uint8_t>(0x5a ^ b[0] ^ b[2]);
  Rar5StreamWriter filter;
  filter.literal(1);
  filter.filter(0, 4, 5);
  filter.literals({1, 2, 3, 4});
  filter.endBlock(true);
  Bytes out;
  EXPECT_EQ(decode(levels, 1, out), Result::corrupt);
  EXPECT_EQ(decode(filter, 5, out), Result::corrupt);
}

// The shared corpus: every compressed member of the RAR 5 samples, solid
// runs through one unpacker, checked against the CRC in its header.
struct Sample {
  const char* file;
  std::size_t members;  // compressed members with a CRC
};

class Rar5Sample : public ::testing::TestWithParam<Sample> {};

TEST_P(Rar5Sample, EveryCompressedMemberMatchesItsCrc) {
  RIVANO_REQUIRE_SHARED();
  const Bytes archive = readFile(rarSample(GetParam().file));
  std::unique_ptr<rar::Unpacker> u;
  std::size_t checked = 0;
  for (const RarSampleMember& m : walkRar5(ByteSpan(archive))) {
    if (m.isFolder || m.method == 0) continue;
    SCOPED_TRACE(m.name);
    if (!u || !m.solid) u = rar::makeUnpacker50(m.dictionary, m.version);
    Bytes out;
    ASSERT_EQ(unpackTo(*u, Bytes(m.packed.begin(), m.packed.end()), m.unpackedSize, m.solid, out), Result::ok);
    EXPECT_EQ(out.size(), m.unpackedSize);
    EXPECT_EQ(crc32Update(0, out.data(), out.size()), m.crc);
    ++checked;
  }
  EXPECT_EQ(checked, GetParam().members);
}

INSTANTIATE_TEST_SUITE_P(
    Shared, Rar5Sample,
    ::testing::Values(Sample{"libarchive/test_read_format_rar5_compressed.rar", 1},
                      Sample{"libarchive/test_read_format_rar5_arm.rar", 1},
                      Sample{"libarchive/test_read_format_rar5_multiple_files.rar", 4},
                      Sample{"libarchive/test_read_format_rar5_multiple_files_solid.rar", 4},
                      Sample{"libarchive/test_read_format_rar5_solid.rar", 7},
                      Sample{"libarchive/test_read_format_rar5_win32.rar", 7},
                      Sample{"sharpcompress/Rar5.rar", 3}, Sample{"sharpcompress/Rar5.solid.rar", 3},
                      Sample{"rarfile/rar5-solid.rar", 2}),
    [](const auto& info) {
      std::string n = info.param.file;
      n = n.substr(n.find('/') + 1);
      for (auto& ch : n)
        if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
      return n;
    });

TEST(Rar5SampleDamage, BadTablesSampleIsCorrupt) {
  RIVANO_REQUIRE_SHARED();
  const Bytes archive = readFile(rarSample("libarchive/test_read_format_rar5_bad_tables.rar"));
  const auto members = walkRar5(ByteSpan(archive));
  ASSERT_EQ(members.size(), 1u);
  auto u = rar::makeUnpacker50(members[0].dictionary);
  Bytes out;
  EXPECT_EQ(unpackTo(*u, Bytes(members[0].packed.begin(), members[0].packed.end()), members[0].unpackedSize, false,
                     out),
            Result::corrupt);
}

}  // namespace
}  // namespace rivano::arc::test
