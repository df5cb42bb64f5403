// The ZIP reader against archives made by Info-ZIP zip and by hand.
#include <gtest/gtest.h>

#include "archivers/zip/zip_reader.h"
#include "tests/archivers/test_support.h"

namespace rivano::arc::test {
namespace {

const std::string kHyoushi = "\x95\x5c\x8e\x86.bmp";  // 表紙.bmp in Shift_JIS
const std::string kShashin = "\x8e\xca\x90\x5e.jpg";  // 写真.jpg in Shift_JIS

class ZipFixture : public ::testing::TestWithParam<const char*> {};

// The same tree stored, deflated, bzip2-compressed and streamed (sizes in
// data descriptors).
TEST_P(ZipFixture, ListsAndExtractsTheTreeByteForByte) {
  const std::vector<std::uint8_t> data = readFile(fixturePath(GetParam()));
  Opened o = openAndList(&openZip, data);
  ASSERT_EQ(o.openResult, Result::ok);
  ASSERT_EQ(o.listResult, Result::ok);
  EXPECT_EQ(o.members.size(), 10u);
  struct Expect {
    std::string name;
    std::string input;
  } files[] = {{"photo.JPG", "photo.JPG"},      {"size1234.txt", "size1234.txt"}, {"old.jpg", "old.jpg"},
               {"README", "README"},            {"photos/a.JPG", "photos/a.JPG"}, {"photos/old/c.BMP", "photos/old/c.BMP"},
               {kShashin, kShashin},            {kHyoushi, kHyoushi}};
  for (const Expect& f : files) {
    const MemberEntry* m = findMember(o.members, f.name);
    ASSERT_NE(m, nullptr) << f.name;
    EXPECT_FALSE(m->isFolder);
    EXPECT_FALSE(m->nameIsUtf8);
    Result r = Result::ioError;
    const std::string bytes = extractText(*o.reader, *m, r);
    EXPECT_EQ(r, Result::ok) << f.name;
    const std::vector<std::uint8_t> original = readFile(fixtureInput(f.input));
    EXPECT_EQ(bytes, std::string(original.begin(), original.end())) << f.name;
    EXPECT_EQ(m->size, original.size());
  }
  EXPECT_EQ(findMember(o.members, "size1234.txt")->size, 1234u);
  EXPECT_EQ(findMember(o.members, "old.jpg")->dosDate, (19 << 9) | (3 << 5) | 7);
  const MemberEntry* folder = findMember(o.members, "photos/");
  ASSERT_NE(folder, nullptr);
  EXPECT_TRUE(folder->isFolder);
  EXPECT_TRUE(folder->dosAttributes & 0x10);
}

INSTANTIATE_TEST_SUITE_P(Made, ZipFixture, ::testing::Values("pics.zip", "stored.zip", "streamed.zip", "bzip2.zip"));

TEST(ZipReader, AnArchiveWithoutPicturesStillLists) {
  const std::vector<std::uint8_t> data = readFile(fixturePath("nopics.zip"));
  Opened o = openAndList(&openZip, data);
  ASSERT_EQ(o.listResult, Result::ok);
  ASSERT_EQ(o.members.size(), 2u);
  EXPECT_EQ(o.members[0].name, "README");
}

TEST(ZipReader, KeepsHostileNamesAsStoredForTheShellToRefuse) {
  const auto data = storedZip({{"../evil.jpg", "x"}, {"C:\\evil.jpg", "y"}, {"ok/a.jpg", "z"}});
  Opened o = openAndList(&openZip, data);
  ASSERT_EQ(o.members.size(), 3u);
  EXPECT_EQ(o.members[0].name, "../evil.jpg");
  EXPECT_EQ(o.members[1].name, "C:\\evil.jpg");
}

TEST(ZipReader, ReportsTheUtf8FlagAndADamagedMember) {
  TestMember utf8{"\xe5\x86\x99\xe7\x9c\x9f.jpg", "picture"};
  utf8.utf8Flag = true;
  TestMember damaged{"bad.jpg", "these bytes do not match the stored CRC"};
  damaged.wrongCrc = true;
  const auto data = storedZip({utf8, damaged});
  Opened o = openAndList(&openZip, data);
  ASSERT_EQ(o.members.size(), 2u);
  EXPECT_TRUE(o.members[0].nameIsUtf8);
  Result r = Result::ok;
  EXPECT_EQ(extractText(*o.reader, o.members[0], r), "picture");
  EXPECT_EQ(r, Result::ok);
  extractText(*o.reader, o.members[1], r);
  EXPECT_EQ(r, Result::corrupt);
}

TEST(ZipReader, FindsTheArchiveBehindAStubAndBeforeAComment) {
  auto data = storedZip({{"a.gif", "GIF89a"}});
  data.insert(data.begin(), 300, 'M');  // a self-extractor's program part
  data[data.size() - 2] = 5;            // comment length
  data.insert(data.end(), {'h', 'e', 'l', 'l', 'o'});
  Opened o = openAndList(&openZip, data);
  ASSERT_EQ(o.listResult, Result::ok);
  ASSERT_EQ(o.members.size(), 1u);
  Result r = Result::ioError;
  EXPECT_EQ(extractText(*o.reader, o.members[0], r), "GIF89a");
  EXPECT_EQ(r, Result::ok);
}

TEST(ZipReader, AnEndRecordInsideTheCommentDoesNotMisleadIt) {
  auto data = storedZip({{"a.gif", "GIF89a"}});
  const std::vector<std::uint8_t> fakeEnd = {'P', 'K', 5, 6, 0, 0, 0, 0, 9, 0, 9, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  data[data.size() - 2] = static_cast<std::uint8_t>(fakeEnd.size());
  data.insert(data.end(), fakeEnd.begin(), fakeEnd.end());
  Opened o = openAndList(&openZip, data);
  ASSERT_EQ(o.listResult, Result::ok);
  EXPECT_EQ(o.members.size(), 1u);
}

TEST(ZipReader, RefusesWhatIsNotAZip) {
  const std::vector<std::uint8_t> notZip(100, 'x');
  Result r = Result::ok;
  EXPECT_EQ(openZip(notZip, {}, r), nullptr);
  EXPECT_EQ(r, Result::notThisFormat);
  EXPECT_EQ(openZip({}, {}, r), nullptr);
  EXPECT_EQ(r, Result::notThisFormat);
}

TEST(ZipReader, MemberLimitsStopListingAndExtraction) {
  const auto data = storedZip({{"a", "1"}, {"b", "2"}, {"c", "333"}});
  Limits limits;
  limits.maxMembers = 2;
  Opened o = openAndList(&openZip, data, limits);
  EXPECT_EQ(o.listResult, Result::tooLarge);
  EXPECT_EQ(o.members.size(), 2u);  // what was read before the limit stays
  limits.maxMembers = 10;
  limits.maxMemberSize = 2;
  o = openAndList(&openZip, data, limits);
  Result r = Result::ok;
  extractText(*o.reader, o.members[2], r);
  EXPECT_EQ(r, Result::tooLarge);
}

TEST(ZipReader, ATruncatedDirectoryKeepsTheMembersBeforeTheCut) {
  auto data = storedZip({{"a.jpg", "1"}, {"b.jpg", "2"}});
  // Claim a third directory entry that is not there.
  data[data.size() - 12] = 3;
  data[data.size() - 14] = 3;
  Opened o = openAndList(&openZip, data);
  EXPECT_EQ(o.listResult, Result::corrupt);
  EXPECT_EQ(o.members.size(), 2u);
}

}  // namespace
}  // namespace rivano::arc::test
