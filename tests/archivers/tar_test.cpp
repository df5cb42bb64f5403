// The TAR reader (GNU, ustar, pax) and the gzip layer under .tgz.
#include <gtest/gtest.h>

#include "archivers/gzip/gzip_stream.h"
#include "archivers/gzip/tgz_reader.h"
#include "archivers/tar/tar_reader.h"
#include "tests/archivers/test_support.h"

namespace rivano::arc::test {
namespace {

const std::string kHyoushi = "\x95\x5c\x8e\x86.bmp";
const std::string kShashin = "\x8e\xca\x90\x5e.jpg";

struct TarCase {
  const char* file;
  Opener open;
  std::size_t members;
};

class TarFixture : public ::testing::TestWithParam<TarCase> {};

TEST_P(TarFixture, ListsAndExtractsByteForByte) {
  const std::vector<std::uint8_t> data = readFile(fixturePath(GetParam().file));
  Opened o = openAndList(GetParam().open, data);
  ASSERT_EQ(o.openResult, Result::ok);
  ASSERT_EQ(o.listResult, Result::ok);
  EXPECT_EQ(o.members.size(), GetParam().members);
  for (const MemberEntry& m : o.members) {
    if (m.isFolder) {
      EXPECT_EQ(m.name.back(), '/');
      continue;
    }
    Result r = Result::ioError;
    const std::string bytes = extractText(*o.reader, m, r);
    EXPECT_EQ(r, Result::ok) << m.name;
    const std::vector<std::uint8_t> original = readFile(fixtureInput(m.name));
    EXPECT_EQ(bytes, std::string(original.begin(), original.end())) << m.name;
  }
  const MemberEntry* exact = findMember(o.members, "size1234.txt");
  ASSERT_NE(exact, nullptr);
  EXPECT_EQ(exact->size, 1234u);
  EXPECT_EQ(findMember(o.members, "old.jpg")->dosDate, (19 << 9) | (3 << 5) | 7);
  EXPECT_NE(findMember(o.members, "photos/a.JPG"), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Made, TarFixture,
                         ::testing::Values(TarCase{"pics_gnu.tar", &openTar, 10},
                                           TarCase{"pics_ustar.tar", &openTar, 8},
                                           TarCase{"pics_pax.tar", &openTar, 10},
                                           TarCase{"pics.tgz", &openTgz, 10},
                                           TarCase{"multi.tgz", &openTgz, 10}));

TEST(TarReader, ShiftJisNamesPassThroughAsBytes) {
  const std::vector<std::uint8_t> data = readFile(fixturePath("pics_gnu.tar"));
  Opened o = openAndList(&openTar, data);
  ASSERT_NE(findMember(o.members, kHyoushi), nullptr);
  EXPECT_FALSE(findMember(o.members, kShashin)->nameIsUtf8);
}

TEST(TarReader, ReadsLongNamesOfGnuAndPax) {
  for (const char* file : {"longname_gnu.tar", "longname_pax.tar"}) {
    const std::vector<std::uint8_t> data = readFile(fixturePath(file));
    Opened o = openAndList(&openTar, data);
    ASSERT_EQ(o.listResult, Result::ok) << file;
    ASSERT_EQ(o.members.size(), 1u) << file;
    EXPECT_GT(o.members[0].name.size(), 100u);
    EXPECT_EQ(o.members[0].name.substr(o.members[0].name.size() - 24), "/long_named_picture.jpeg");
    EXPECT_EQ(o.members[0].size, 9000u);
  }
}

TEST(TarReader, HandMadeLongNameAndFolderEntries) {
  const std::string longName = std::string(120, 'd') + "/p.gif";
  const auto data = ustarTar({{"dir/", ""}, {longName, "GIF89a"}, {"a.jpg", std::string(1234, 'j')}});
  Opened o = openAndList(&openTar, data);
  ASSERT_EQ(o.listResult, Result::ok);
  ASSERT_EQ(o.members.size(), 3u);
  EXPECT_TRUE(o.members[0].isFolder);
  EXPECT_EQ(o.members[1].name, longName);
  EXPECT_EQ(o.members[2].size, 1234u);
  EXPECT_EQ(o.members[2].dosDate, (19 << 9) | (3 << 5) | 7);
}

TEST(TarReader, MembersBehindASymbolicLinkAreNotListed) {
  TestMember link{"escape", ""};
  link.symlink = true;
  const auto data = ustarTar({link, {"escape/evil.jpg", "x"}, {"escaped.jpg", "y"}, {"ok/escape/a.jpg", "z"}});
  Opened o = openAndList(&openTar, data);
  ASSERT_EQ(o.listResult, Result::ok);
  ASSERT_EQ(o.members.size(), 2u);
  EXPECT_EQ(o.members[0].name, "escaped.jpg");
  EXPECT_EQ(o.members[1].name, "ok/escape/a.jpg");
}

TEST(TarReader, ABadChecksumEndsTheListing) {
  auto data = ustarTar({{"a.jpg", "1"}, {"b.jpg", "2"}});
  data[1024 + 10] ^= 0x20;  // second header's name
  Opened o = openAndList(&openTar, data);
  EXPECT_EQ(o.listResult, Result::corrupt);
  ASSERT_EQ(o.members.size(), 1u);
  data[10] ^= 0x20;  // and the first: no longer a tar at all
  Result r = Result::ok;
  EXPECT_EQ(openTar(data, {}, r), nullptr);
  EXPECT_EQ(r, Result::notThisFormat);
}

TEST(TarReader, AMemberCutShortIsListedButDoesNotExtract) {
  auto data = ustarTar({{"a.jpg", "whole"}, {"b.jpg", std::string(600, 'b')}});
  data.resize(1024 + 512 + 300);
  Opened o = openAndList(&openTar, data);
  EXPECT_EQ(o.listResult, Result::corrupt);
  ASSERT_EQ(o.members.size(), 2u);
  EXPECT_EQ(o.members[1].size, 600u);
  Result r = Result::ok;
  EXPECT_EQ(extractText(*o.reader, o.members[0], r), "whole");
  EXPECT_EQ(r, Result::ok);
  VectorSink sink;
  EXPECT_EQ(o.reader->extract(o.members[1], sink), Result::corrupt);
  EXPECT_TRUE(sink.bytes.empty());
}

TEST(Gzip, ABombStopsAtTheStreamLimit) {
  const std::vector<std::uint8_t> data = readFile(fixturePath("bomb.tgz"));
  Limits limits;
  limits.maxStreamSize = 4 << 20;
  std::vector<std::uint8_t> out;
  EXPECT_EQ(gunzip(data, limits, out), Result::tooLarge);
  EXPECT_LE(out.size(), limits.maxStreamSize);
  Result r = Result::ok;
  EXPECT_EQ(openTgz(data, limits, r), nullptr);
  EXPECT_EQ(r, Result::tooLarge);
}

TEST(Gzip, ChecksTheTrailerAndNoticesTruncation) {
  std::vector<std::uint8_t> data = readFile(fixturePath("pics.tgz"));
  std::vector<std::uint8_t> out;
  ASSERT_EQ(gunzip(data, {}, out), Result::ok);
  EXPECT_EQ(out.size() % 512, 0u);
  auto damaged = data;
  damaged[damaged.size() - 6] ^= 1;  // CRC-32 of the data
  EXPECT_EQ(gunzip(damaged, {}, out), Result::corrupt);
  auto cut = data;
  cut.resize(cut.size() / 2);
  EXPECT_EQ(gunzip(cut, {}, out), Result::corrupt);
  auto padded = data;
  padded.insert(padded.end(), 100, 0);  // tape padding after the stream
  EXPECT_EQ(gunzip(padded, {}, out), Result::ok);
}

TEST(Gzip, AGzipOfSomethingElseIsNoTgz) {
  std::vector<std::uint8_t> data = readFile(fixturePath("readme.gz"));
  Result r = Result::ok;
  EXPECT_EQ(openTgz(data, {}, r), nullptr);
  EXPECT_EQ(r, Result::unsupportedMethod);
}

}  // namespace
}  // namespace rivano::arc::test
