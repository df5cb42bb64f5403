// RAR 1.5 decoder: hand-derived streams (run everywhere) and the RAR 1.5
// samples of the shared corpus (when it is there).
#include <gtest/gtest.h>

#include "archivers/core/crc32.h"
#include "tests/archivers/decoders/rar_sample_walker.h"
#include "tests/archivers/decoders/rar_test_util.h"

namespace rivano::arc::test {
namespace {

// Worked out from the format's initial state: the flag byte at place 1 of
// its list is 0xff (eight "literal" decisions); the literal code in use at
// the start gives place n (= byte n at first) for 60 <= n < 76 the 8 bits
// 1110 followed by n - 60. So "AB" is 00001 11100101 11100110.
const Bytes kStreamAB = {0x0f, 0x2f, 0x30};

TEST(Rar15Stream, HandMadeLiteralsDecode) {
  auto u = rar::makeUnpacker15(0x10000);
  Bytes out;
  ASSERT_EQ(unpackTo(*u, kStreamAB, 2, false, out), Result::ok);
  EXPECT_EQ(out, bytesOf("AB"));
  ASSERT_EQ(unpackTo(*u, kStreamAB, 1, false, out), Result::ok);
  EXPECT_EQ(out, bytesOf("A"));
  EXPECT_EQ(unpackTo(*u, {}, 0, false, out), Result::ok);
  EXPECT_TRUE(out.empty());
}

// After "AB" the byte list holds B at place 0 and A at place 1, and the
// flag list 0xff at place 0. A solid member "BA" then reads: flags at place
// 0 (00000), B at place 0 of the same literal code (00000), and A, moved up
// to place 1 by B's use (00001). Without the first member's state the same
// bits mean something else.
TEST(Rar15Stream, SolidMemberContinuesTheAdaptiveState) {
  auto u = rar::makeUnpacker15(0x10000);
  Bytes out;
  ASSERT_EQ(unpackTo(*u, kStreamAB, 2, false, out), Result::ok);
  const Bytes streamBA = {0x00, 0x42};
  ASSERT_EQ(unpackTo(*u, streamBA, 2, true, out), Result::ok);
  EXPECT_EQ(out, bytesOf("BA"));
  EXPECT_NE(unpackTo(*u, streamBA, 2, false, out), Result::ok);
}

TEST(Rar15Stream, DamageIsCorrupt) {
  auto u = rar::makeUnpacker15(0x10000);
  Bytes out;
  // All zero bits: flag byte 0 (a short match), length 2 at distance 1,
  // before anything was decoded.
  EXPECT_EQ(unpackTo(*u, Bytes(8, 0), 10, false, out), Result::corrupt);
  // More output asked for than the bits hold.
  EXPECT_EQ(unpackTo(*u, kStreamAB, 40, false, out), Result::corrupt);
  EXPECT_EQ(unpackTo(*u, {}, 1, false, out), Result::corrupt);
}

TEST(Rar15Limits, DictionaryAboveTheLimitIsRefused) {
  resetLargestAllocation();
  auto u = rar::makeUnpacker15(static_cast<std::uint32_t>(rar::kMaxDictionary * 2));
  Bytes out;
  EXPECT_EQ(unpackTo(*u, kStreamAB, 2, false, out), Result::tooLarge);
  EXPECT_LT(largestAllocation(), std::size_t{1} << 16);
}

std::vector<RarSampleMember> compressed15(const Bytes& archive) {
  std::vector<RarSampleMember> out;
  for (const auto& m : walkRar4(ByteSpan(archive)))
    if (!m.isFolder && m.method != 0 && m.version == 15) out.push_back(m);
  return out;
}

Bytes packedOf(const RarSampleMember& m) { return Bytes(m.packed.begin(), m.packed.end()); }

TEST(Rar15Sample, EveryCompressedMemberMatchesItsCrc) {
  RIVANO_REQUIRE_SHARED();
  std::size_t checked = 0;
  for (const char* file : {"sharpcompress/Rar15.rar", "rarfile/rar15-comment.rar"}) {
    const Bytes archive = readFile(rarSample(file));
    for (const RarSampleMember& m : compressed15(archive)) {
      SCOPED_TRACE(m.name);
      auto u = rar::makeUnpacker15(static_cast<std::uint32_t>(m.dictionary));
      Bytes out;
      ASSERT_EQ(unpackTo(*u, packedOf(m), m.unpackedSize, false, out), Result::ok);
      EXPECT_EQ(out.size(), m.unpackedSize);
      EXPECT_EQ(crc32Update(0, out.data(), out.size()), m.crc);
      ++checked;
    }
  }
  EXPECT_EQ(checked, 4u);  // TEST.EXE, TEST.JPG, TECT.TXT, FILE1.TXT
}

TEST(Rar15Sample, DamagedOrShortenedMembersNeverOverrun) {
  RIVANO_REQUIRE_SHARED();
  const Bytes archive = readFile(rarSample("sharpcompress/Rar15.rar"));
  const auto members = compressed15(archive);
  ASSERT_FALSE(members.empty());
  const RarSampleMember& m = members[0];
  const Bytes packed = packedOf(m);
  auto u = rar::makeUnpacker15(0x10000);
  Bytes full;
  ASSERT_EQ(unpackTo(*u, packed, m.unpackedSize, false, full), Result::ok);

  Bytes out;
  const Bytes half(packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(packed.size() / 2));
  EXPECT_EQ(unpackTo(*u, half, m.unpackedSize, false, out), Result::corrupt);
  // A smaller declared size: either the last step runs past it (corrupt) or
  // the member ends there; never a byte more, never different bytes.
  for (std::uint64_t size : {std::uint64_t{1}, std::uint64_t{1000}, m.unpackedSize / 2, m.unpackedSize - 1}) {
    const Result r = unpackTo(*u, packed, size, false, out);
    EXPECT_TRUE(r == Result::ok || r == Result::corrupt) << resultName(r);
    ASSERT_LE(out.size(), size);
    EXPECT_TRUE(std::equal(out.begin(), out.end(), full.begin()));
    if (r == Result::ok) {
      EXPECT_EQ(out.size(), size);
    }
  }
  RefusingSink refusing;
  EXPECT_EQ(u->unpack(ByteSpan(packed), m.unpackedSize, false, refusing), Result::ioError);
}

}  // namespace
}  // namespace rivano::arc::test
