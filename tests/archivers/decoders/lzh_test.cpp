// LZH reader over archives made by jlha at build time.
#include <gtest/gtest.h>

#include "archivers/core/member_record.h"
#include "archivers/lzh/lzh_reader.h"
#include "tests/archivers/decoders/decoder_test_util.h"

namespace rivano::arc::test {
namespace {

const char* const kFlat[] = {"text.txt", "noise.bin", "runs.bin", "empty.txt"};
const std::string kSjisPhoto = "\x8e\xca\x90\x5e.jpg";   // 写真.jpg
const std::string kSjisCover = "\x95\x5c\x8e\x86.bmp";   // 表紙.bmp, trail byte 0x5C

std::unique_ptr<ArchiveReader> open(ByteSpan d, const Limits& l, Result& r) { return openLzh(d, l, r); }

// Fixes the level 0/1 header checksum after a test changed a header byte.
void fixLevel01Sum(Bytes& a, std::size_t at) {
  unsigned sum = 0;
  for (std::size_t i = at + 2; i < at + 2 + a[at]; ++i) sum += a[i];
  a[at + 1] = static_cast<std::uint8_t>(sum);
}

struct Variant {
  const char* file;
  const char* method;
};

class LzhMethodLevel : public ::testing::TestWithParam<Variant> {};

TEST_P(LzhMethodLevel, ListsAndExtractsEveryMemberByteExact) {
  std::vector<MemberEntry> members;
  std::vector<Bytes> contents;
  ASSERT_EQ(extractAll(readFile(fixture(GetParam().file)), open, members, contents), Result::ok);
  ASSERT_EQ(members.size(), 4u);
  for (std::size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(kFlat[i]);
    EXPECT_EQ(members[i].name, kFlat[i]);
    Bytes want = readFile(original(kFlat[i]));
    EXPECT_EQ(members[i].size, want.size());
    EXPECT_TRUE(contents[i] == want);
    EXPECT_FALSE(members[i].isFolder);
  }
  EXPECT_EQ(members[0].method, GetParam().method);  // text always shrinks
}

INSTANTIATE_TEST_SUITE_P(AllMethodsAndLevels, LzhMethodLevel,
                         ::testing::Values(Variant{"lh0_h0.lzh", "-lh0-"}, Variant{"lh0_h1.lzh", "-lh0-"},
                                           Variant{"lh0_h2.lzh", "-lh0-"}, Variant{"lh5_h0.lzh", "-lh5-"},
                                           Variant{"lh5_h1.lzh", "-lh5-"}, Variant{"lh5_h2.lzh", "-lh5-"},
                                           Variant{"lh6_h0.lzh", "-lh6-"}, Variant{"lh6_h1.lzh", "-lh6-"},
                                           Variant{"lh6_h2.lzh", "-lh6-"}, Variant{"lh7_h0.lzh", "-lh7-"},
                                           Variant{"lh7_h1.lzh", "-lh7-"}, Variant{"lh7_h2.lzh", "-lh7-"}));

class LzhTree : public ::testing::TestWithParam<const char*> {};

TEST_P(LzhTree, FolderNamesUseBackslashAndShiftJisBytesPassThrough) {
  std::vector<MemberEntry> members;
  std::vector<Bytes> contents;
  ASSERT_EQ(extractAll(readFile(fixture(GetParam())), open, members, contents), Result::ok);
  const std::pair<std::string, std::string> expected[] = {{"photos\\a.JPG", "noise.bin"},
                                                          {"photos\\old\\c.BMP", "text.txt"},
                                                          {kSjisPhoto, "text.txt"},
                                                          {kSjisCover, "noise.bin"}};
  for (const auto& [name, source] : expected) {
    SCOPED_TRACE(name);
    const MemberEntry* m = findMember(members, name);
    ASSERT_NE(m, nullptr);
    EXPECT_TRUE(contents[static_cast<std::size_t>(m - members.data())] == readFile(original(source)));
  }
}

INSTANTIATE_TEST_SUITE_P(HeaderLevels, LzhTree, ::testing::Values("tree_h0.lzh", "tree_h1.lzh", "tree_h2.lzh"));

TEST(LzhDates, UnixTimeOfLevel2MatchesDosTimeOfLevel0) {
  Result r;
  Bytes a0 = readFile(fixture("lh5_h0.lzh")), a2 = readFile(fixture("lh5_h2.lzh"));
  auto r0 = openLzh(a0, Limits{}, r);
  auto r2 = openLzh(a2, Limits{}, r);
  ASSERT_TRUE(r0 && r2);
  std::vector<MemberEntry> m0, m2;
  ASSERT_EQ(r0->list(m0), Result::ok);
  ASSERT_EQ(r2->list(m2), Result::ok);
  // The fixtures are made in UTC, so the local DOS time equals UTC.
  EXPECT_EQ(m0[0].dosDate, m2[0].dosDate);
  EXPECT_LE(std::abs(int(m0[0].dosTime) - int(m2[0].dosTime)), 1);
  EXPECT_GE(m0[0].dosDate >> 9, 44);  // made after 2024
}

TEST(LzhDates, UnixTimeBecomesDosDateAndTime) {
  std::uint16_t d = 0, t = 0;
  lzh::unixToDos(1709251199, d, t);  // 2024-02-29 23:59:59
  EXPECT_EQ(d, (44 << 9) | (2 << 5) | 29);
  EXPECT_EQ(t, (23 << 11) | (59 << 5) | 29);
}

// Only -lhd- makes a folder; the attribute byte's folder bit must not show one.
TEST(LzhAttributes, AStrayFolderBitOnAFileIsDropped) {
  Bytes a = readFile(fixture("lh0_h0.lzh"));
  a[19] = 0x31;  // read-only, archive and folder on the first member
  fixLevel01Sum(a, 0);
  Result r;
  auto reader = openLzh(a, Limits{}, r);
  ASSERT_NE(reader, nullptr);
  std::vector<MemberEntry> members;
  ASSERT_EQ(reader->list(members), Result::ok);
  EXPECT_FALSE(members[0].isFolder);
  EXPECT_EQ(attributeText(members[0].dosAttributes, members[0].isFolder), "R--A");
  Bytes out;
  EXPECT_EQ(extractTo(*reader, members[0], out), Result::ok);
}

TEST(LzhChecks, Crc16OfKnownText) {
  const std::string s = "123456789";
  EXPECT_EQ(lzh::crc16(0, reinterpret_cast<const std::uint8_t*>(s.data()), s.size()), 0xBB3D);
}

TEST(LzhChecks, ChangedStoredByteFailsTheDataCrc) {
  Bytes a = readFile(fixture("lh0_h0.lzh"));
  Result r;
  auto reader = openLzh(a, Limits{}, r);
  std::vector<MemberEntry> members;
  ASSERT_EQ(reader->list(members), Result::ok);
  a[static_cast<std::size_t>(members[0].locator) + 100] ^= 0x01;
  Bytes out;
  EXPECT_EQ(extractTo(*reader, members[0], out), Result::corrupt);
  EXPECT_EQ(extractTo(*reader, members[1], out), Result::ok);
}

TEST(LzhChecks, ChangedCompressedByteIsCorrupt) {
  Bytes a = readFile(fixture("lh6_h1.lzh"));
  Result r;
  auto reader = openLzh(a, Limits{}, r);
  std::vector<MemberEntry> members;
  ASSERT_EQ(reader->list(members), Result::ok);
  a[static_cast<std::size_t>(members[0].locator + members[0].packedSize / 2)] ^= 0x40;
  Bytes out;
  EXPECT_EQ(extractTo(*reader, members[0], out), Result::corrupt);
}

TEST(LzhChecks, BadHeaderChecksumStopsTheListing) {
  Bytes a = readFile(fixture("lh5_h0.lzh"));
  Result r;
  std::vector<MemberEntry> members;
  ASSERT_EQ(openLzh(a, Limits{}, r)->list(members), Result::ok);
  const auto second = static_cast<std::size_t>(members[0].locator + members[0].packedSize);
  a[second + 22] ^= 0x20;  // a name byte of the second member
  auto reader = openLzh(a, Limits{}, r);
  ASSERT_EQ(reader->list(members), Result::corrupt);
  ASSERT_EQ(members.size(), 1u);  // what came before the fault is kept
  EXPECT_EQ(members[0].name, "text.txt");
  a[22] ^= 0x20;  // now the first header: the archive itself is damaged
  EXPECT_EQ(openLzh(a, Limits{}, r), nullptr);
  EXPECT_EQ(r, Result::corrupt);
}

TEST(LzhChecks, Level2HeaderCrcIsChecked) {
  Bytes a = readFile(fixture("lh5_h2.lzh"));
  Result r;
  std::vector<MemberEntry> members;
  ASSERT_EQ(openLzh(a, Limits{}, r)->list(members), Result::ok);
  // The file name extension sits between the fixed part and the data.
  const auto second = static_cast<std::size_t>(members[0].locator + members[0].packedSize);
  const std::string name = "noise.bin";
  auto it = std::search(a.begin() + static_cast<long>(second), a.end(), name.begin(), name.end());
  ASSERT_NE(it, a.end());
  *it = 'N';
  ASSERT_EQ(openLzh(a, Limits{}, r)->list(members), Result::corrupt);
  EXPECT_EQ(members.size(), 1u);
}

TEST(LzhMethods, UnknownMethodIsRefusedForThatMemberOnly) {
  Bytes a = readFile(fixture("lh5_h0.lzh"));
  a[5] = '9';  // -lh9-
  fixLevel01Sum(a, 0);
  Result r;
  auto reader = openLzh(a, Limits{}, r);
  ASSERT_TRUE(reader);
  std::vector<MemberEntry> members;
  ASSERT_EQ(reader->list(members), Result::ok);
  ASSERT_EQ(members.size(), 4u);
  EXPECT_EQ(members[0].method, "-lh9-");
  Bytes out;
  EXPECT_EQ(extractTo(*reader, members[0], out), Result::unsupportedMethod);
  EXPECT_EQ(extractTo(*reader, members[2], out), Result::ok);
  EXPECT_TRUE(out == readFile(original("runs.bin")));
}

TEST(LzhLimits, TruncatedArchiveKeepsTheMembersBeforeTheCut) {
  Bytes a = readFile(fixture("lh7_h1.lzh"));
  Result r;
  std::vector<MemberEntry> members;
  ASSERT_EQ(openLzh(a, Limits{}, r)->list(members), Result::ok);
  a.resize(static_cast<std::size_t>(members[1].locator + 10));  // inside the second member's data
  auto reader = openLzh(a, Limits{}, r);
  ASSERT_EQ(reader->list(members), Result::corrupt);
  ASSERT_EQ(members.size(), 1u);
  Bytes out;
  EXPECT_EQ(extractTo(*reader, members[0], out), Result::ok);
}

TEST(LzhLimits, MemberAndCountLimitsAreEnforced) {
  Bytes a = readFile(fixture("lh5_h2.lzh"));
  Limits small;
  small.maxMemberSize = 1000;
  small.maxMembers = 2;
  Result r;
  auto reader = openLzh(a, small, r);
  std::vector<MemberEntry> members;
  EXPECT_EQ(reader->list(members), Result::tooLarge);
  ASSERT_EQ(members.size(), 2u);
  Bytes out;
  EXPECT_EQ(extractTo(*reader, members[0], out), Result::tooLarge);
  RefusingSink refuse;
  auto full = openLzh(a, Limits{}, r);
  EXPECT_EQ(full->extract(members[0], refuse), Result::ioError);
}

TEST(LzhProbe, EmptyForeignAndSelfExtractingInputs) {
  Result r;
  Bytes endOnly{0};
  auto reader = openLzh(endOnly, Limits{}, r);
  ASSERT_TRUE(reader);
  std::vector<MemberEntry> members;
  EXPECT_EQ(reader->list(members), Result::ok);
  EXPECT_TRUE(members.empty());
  EXPECT_EQ(openLzh(Bytes{}, Limits{}, r), nullptr);
  EXPECT_EQ(r, Result::notThisFormat);
  EXPECT_EQ(openLzh(bytesOf("just some text, certainly not an archive at all"), Limits{}, r), nullptr);
  EXPECT_EQ(r, Result::notThisFormat);

  Bytes sfx(3000, 0x90);  // a stub before the archive
  Bytes a = readFile(fixture("lh5_h1.lzh"));
  sfx.insert(sfx.end(), a.begin(), a.end());
  std::vector<MemberEntry> all;
  std::vector<Bytes> contents;
  ASSERT_EQ(extractAll(sfx, open, all, contents), Result::ok);
  EXPECT_EQ(all.size(), 4u);
}

}  // namespace
}  // namespace rivano::arc::test
