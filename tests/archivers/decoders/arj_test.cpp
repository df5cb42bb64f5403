// ARJ reader over archives made by Debian's arj at build time.
#include <gtest/gtest.h>

#include "archivers/arj/arj_reader.h"
#include "archivers/core/crc32.h"
#include "archivers/core/member_record.h"
#include "tests/archivers/decoders/decoder_test_util.h"

namespace rivano::arc::test {
namespace {

const char* const kFlat[] = {"text.txt", "noise.bin", "runs.bin", "empty.txt"};

std::unique_ptr<ArchiveReader> open(ByteSpan d, const Limits& l, Result& r) { return openArj(d, l, r); }

// Offsets of every basic header (main header first) in a well-formed archive.
std::vector<std::size_t> headerOffsets(const Bytes& a) {
  std::vector<std::size_t> at;
  std::size_t p = 0;
  while (p + 4 <= a.size() && a[p] == 0x60 && a[p + 1] == 0xEA) {
    std::size_t size = a[p + 2] | (a[p + 3] << 8);
    if (size == 0) break;
    at.push_back(p);
    std::size_t q = p + 4 + size + 4;
    while (a[q] | a[q + 1]) q += 2 + (a[q] | (a[q + 1] << 8)) + 4;
    q += 2;
    if (at.size() > 1) q += a[p + 4 + 12] | (a[p + 4 + 13] << 8) | (a[p + 4 + 14] << 16) | (a[p + 4 + 15] << 24);
    p = q;
  }
  return at;
}

// Rewrites the CRC of the basic header at `at` after a test changed it.
void fixHeaderCrc(Bytes& a, std::size_t at) {
  std::size_t size = a[at + 2] | (a[at + 3] << 8);
  std::uint32_t crc = crc32Update(0, a.data() + at + 4, size);
  for (int i = 0; i < 4; ++i) a[at + 4 + size + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(crc >> (8 * i));
}

class ArjMethod : public ::testing::TestWithParam<int> {};

TEST_P(ArjMethod, ListsAndExtractsEveryMemberByteExact) {
  const int method = GetParam();
  std::vector<MemberEntry> members;
  std::vector<Bytes> contents;
  ASSERT_EQ(extractAll(readFile(fixture("m" + std::to_string(method) + ".arj")), open, members, contents),
            Result::ok);
  ASSERT_EQ(members.size(), 4u);
  for (std::size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(kFlat[i]);
    EXPECT_EQ(members[i].name, kFlat[i]);
    Bytes want = readFile(original(kFlat[i]));
    EXPECT_EQ(members[i].size, want.size());
    EXPECT_EQ(members[i].crc, crc32Update(0, want.data(), want.size()));
    EXPECT_TRUE(contents[i] == want);
  }
  EXPECT_EQ(members[0].method, method == 0 ? "stored" : "m" + std::to_string(method));
  EXPECT_GE(members[0].dosDate >> 9, 44);  // made after 2024
}

INSTANTIATE_TEST_SUITE_P(StoredAndAllMethods, ArjMethod, ::testing::Values(0, 1, 2, 3, 4));

TEST(ArjNames, FoldersBecomeBackslashesAndShiftJisBytesPassThrough) {
  std::vector<MemberEntry> members;
  std::vector<Bytes> contents;
  ASSERT_EQ(extractAll(readFile(fixture("tree.arj")), open, members, contents), Result::ok);
  const std::pair<std::string, std::string> expected[] = {{"photos\\a.JPG", "noise.bin"},
                                                          {"photos\\old\\c.BMP", "text.txt"},
                                                          {"\x8e\xca\x90\x5e.jpg", "text.txt"},
                                                          {"\x95\x5c\x8e\x86.bmp", "noise.bin"}};
  for (const auto& [name, source] : expected) {
    SCOPED_TRACE(name);
    const MemberEntry* m = findMember(members, name);
    ASSERT_NE(m, nullptr);
    EXPECT_TRUE(contents[static_cast<std::size_t>(m - members.data())] == readFile(original(source)));
  }
}

TEST(ArjChecks, ChangedDataByteFailsTheCrc) {
  for (const char* file : {"m0.arj", "m1.arj", "m4.arj"}) {
    SCOPED_TRACE(file);
    Bytes a = readFile(fixture(file));
    Result r;
    auto reader = openArj(a, Limits{}, r);
    std::vector<MemberEntry> members;
    ASSERT_EQ(reader->list(members), Result::ok);
    a[static_cast<std::size_t>(members[0].locator + members[0].packedSize / 2)] ^= 0x08;
    Bytes out;
    EXPECT_EQ(extractTo(*reader, members[0], out), Result::corrupt);
    EXPECT_EQ(extractTo(*reader, members[2], out), Result::ok);
  }
}

TEST(ArjChecks, HeaderCrcMismatchStopsTheListing) {
  Bytes a = readFile(fixture("m2.arj"));
  auto at = headerOffsets(a);
  ASSERT_EQ(at.size(), 5u);  // main header and four members
  a[at[3] + 4 + a[at[3] + 4]] ^= 0x20;  // first name byte of the third member
  Result r;
  auto reader = openArj(a, Limits{}, r);
  std::vector<MemberEntry> members;
  EXPECT_EQ(reader->list(members), Result::corrupt);
  EXPECT_EQ(members.size(), 2u);
  a[at[0] + 10] ^= 0x01;  // the main header
  EXPECT_EQ(openArj(a, Limits{}, r), nullptr);
  EXPECT_EQ(r, Result::corrupt);
}

// arj on Unix keeps the file mode where MS-DOS keeps attributes.
TEST(ArjAttributes, UnixModeGivesReadOnlyAndNothingElse) {
  Bytes a = readFile(fixture("m0.arj"));
  auto at = headerOffsets(a);
  ASSERT_EQ(at.size(), 5u);
  ASSERT_EQ(a[at[1] + 4 + 3], 2);  // host: Unix
  auto setMode = [&](std::size_t member, std::uint16_t mode) {
    a[at[member] + 4 + 26] = static_cast<std::uint8_t>(mode);
    a[at[member] + 4 + 27] = static_cast<std::uint8_t>(mode >> 8);
    fixHeaderCrc(a, at[member]);
  };
  setMode(1, 0100444);
  setMode(2, 0xFFFF);
  Result r;
  auto reader = openArj(a, Limits{}, r);
  ASSERT_NE(reader, nullptr);
  std::vector<MemberEntry> members;
  ASSERT_EQ(reader->list(members), Result::ok);
  EXPECT_EQ(attributeText(members[0].dosAttributes, members[0].isFolder), "R--A");
  EXPECT_EQ(attributeText(members[1].dosAttributes, members[1].isFolder), "---A");
  EXPECT_EQ(attributeText(members[2].dosAttributes, members[2].isFolder), "---A");
}

TEST(ArjFlags, EncryptedAndVolumeMembersAreListedButRefused) {
  const std::pair<std::uint8_t, const char*> cases[] = {{0x01, "garbled"}, {0x04, "continues"}, {0x08, "continued"}};
  for (const auto& [flag, what] : cases) {
    SCOPED_TRACE(what);
    Bytes a = readFile(fixture("m1.arj"));
    auto at = headerOffsets(a);
    a[at[1] + 4 + 4] |= flag;
    fixHeaderCrc(a, at[1]);
    Result r;
    auto reader = openArj(a, Limits{}, r);
    std::vector<MemberEntry> members;
    ASSERT_EQ(reader->list(members), Result::ok);
    ASSERT_EQ(members.size(), 4u);
    Bytes out;
    EXPECT_EQ(extractTo(*reader, members[0], out), Result::unsupportedMethod);
    EXPECT_EQ(extractTo(*reader, members[1], out), Result::ok);
  }
}

TEST(ArjLimits, TruncatedAndLimitedArchives) {
  Bytes a = readFile(fixture("m3.arj"));
  Result r;
  std::vector<MemberEntry> members;
  ASSERT_EQ(openArj(a, Limits{}, r)->list(members), Result::ok);
  Bytes cut(a.begin(), a.begin() + static_cast<long>(members[1].locator + 5));
  auto reader = openArj(cut, Limits{}, r);
  EXPECT_EQ(reader->list(members), Result::corrupt);
  EXPECT_EQ(members.size(), 1u);

  Limits small;
  small.maxMemberSize = 4096;
  small.maxMembers = 3;
  auto limited = openArj(a, small, r);
  EXPECT_EQ(limited->list(members), Result::tooLarge);
  ASSERT_EQ(members.size(), 3u);
  Bytes out;
  EXPECT_EQ(extractTo(*limited, members[0], out), Result::tooLarge);
  EXPECT_EQ(extractTo(*limited, members[2], out), Result::tooLarge);
}

TEST(ArjProbe, ForeignEmptyAndSelfExtractingInputs) {
  Result r;
  EXPECT_EQ(openArj(Bytes{}, Limits{}, r), nullptr);
  EXPECT_EQ(r, Result::notThisFormat);
  EXPECT_EQ(openArj(bytesOf("MZ plain program without any archive inside"), Limits{}, r), nullptr);
  EXPECT_EQ(r, Result::notThisFormat);

  Bytes sfx(5000, 0x4D);
  Bytes a = readFile(fixture("m4.arj"));
  sfx.insert(sfx.end(), a.begin(), a.end());
  std::vector<MemberEntry> members;
  std::vector<Bytes> contents;
  ASSERT_EQ(extractAll(sfx, open, members, contents), Result::ok);
  EXPECT_EQ(members.size(), 4u);
}

}  // namespace
}  // namespace rivano::arc::test
