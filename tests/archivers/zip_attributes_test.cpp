// Files, folders and links of a ZIP as the host that wrote the external
// attributes meant them, and the attribute text the program shows.
#include <gtest/gtest.h>

#include "archivers/core/member_record.h"
#include "archivers/zip/zip_reader.h"
#include "tests/archivers/test_support.h"

namespace rivano::arc::test {
namespace {

constexpr std::uint16_t kUnix = 3 << 8 | 30;    // Info-ZIP on Unix
constexpr std::uint16_t kMsDos = 0 << 8 | 20;
constexpr std::uint16_t kWindows = 11 << 8 | 20;  // Windows' own ZIP folders

TestMember made(std::string name, std::string data, std::uint16_t madeBy, std::uint32_t attributes) {
  TestMember m{std::move(name), std::move(data)};
  m.madeBy = madeBy;
  m.externalAttributes = attributes;
  return m;
}

std::string shown(const MemberEntry& m) { return attributeText(m.dosAttributes, m.isFolder); }

struct Expect {
  TestMember member;
  bool isFolder;
  const char* attributes;  // attribute text of the member record
};

void PrintTo(const Expect& e, std::ostream* os) { *os << e.member.name; }

class ZipAttributes : public ::testing::TestWithParam<Expect> {};

TEST_P(ZipAttributes, KindAndAttributeTextFollowTheHostThatWroteThem) {
  const Expect& e = GetParam();
  const auto data = storedZip({e.member});
  Opened o = openAndList(&openZip, data);
  ASSERT_EQ(o.listResult, Result::ok);
  ASSERT_EQ(o.members.size(), 1u);
  const MemberEntry& m = o.members[0];
  EXPECT_EQ(m.isFolder, e.isFolder);
  EXPECT_EQ(shown(m), e.attributes);
  if (!e.isFolder) {
    Result r = Result::ioError;
    EXPECT_EQ(extractText(*o.reader, m, r), e.member.data);
    EXPECT_EQ(r, Result::ok);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Hosts, ZipAttributes,
    ::testing::Values(
        // Unix: the mode in the high 16 bits.
        Expect{made("garbage.jpg", "JFIF bytes", kUnix, 0xFFFFFFFF), false, "---A"},
        Expect{made("plain.jpg", "JFIF bytes", kUnix, 0100644u << 16), false, "---A"},
        Expect{made("readonly.jpg", "JFIF bytes", kUnix, 0100444u << 16), false, "R--A"},
        Expect{made("readonly_dos_byte_clear.jpg", "x", kUnix, 0100400u << 16 | 0x00), false, "R--A"},
        Expect{made("photos/", "", kUnix, 0040755u << 16 | 0x10), true, "----D"},
        Expect{made("photos", "", kUnix, 0040755u << 16), true, "----D"},
        Expect{made("garbage_folder/", "", kUnix, 0xFFFFFFFF), true, "----D"},
        Expect{made("folder_mode_with_data.jpg", "JFIF", kUnix, 0040755u << 16), false, "---A"},
        Expect{made(".dotfile", "x", kUnix, 0100644u << 16), false, "---A"},
        // A Unix writer that left the mode out fills the MS-DOS byte only.
        Expect{made("no_mode.jpg", "x", kUnix, 0x21), false, "R--A"},
        // MS-DOS and Windows: the low byte is MS-DOS attributes.
        Expect{made("dos.jpg", "x", kMsDos, 0x21), false, "R--A"},
        Expect{made("hidden.jpg", "x", kWindows, 0x26), false, "-HSA"},
        Expect{made("zero.jpg", "x", kMsDos, 0x00), false, "---A"},
        Expect{made("New Folder", "", kWindows, 0x10), true, "----D"},
        Expect{made("bit_but_data.jpg", "JFIF", kMsDos, 0x10), false, "---A"},
        Expect{made("dos_garbage.jpg", "JFIF", kMsDos, 0xFFFFFFFF), false, "---A"},
        // Hosts whose attributes we do not read.
        Expect{made("amiga.jpg", "x", 1 << 8 | 20, 0xFFFFFFFF), false, "---A"},
        Expect{made("amiga/", "", 1 << 8 | 20, 0), true, "----D"},
        // 表 is 0x95 0x5C: its second byte is no separator.
        Expect{made("\x95\x5c", "x", kMsDos, 0x20), false, "---A"},
        Expect{made("photos\\", "", kMsDos, 0x00), true, "----D"}));

TEST(ZipLinks, LinksAndMembersBehindThemAreNotListed) {
  const auto data = storedZip({made("link.jpg", "real.jpg", kUnix, 0120777u << 16),
                               made("up", "../..", kUnix, 0120777u << 16),
                               made("up/pwned.jpg", "JFIF", kUnix, 0100644u << 16),
                               made("upper/kept.jpg", "JFIF", kUnix, 0100644u << 16),
                               made("real.jpg", "JFIF", kUnix, 0100644u << 16)});
  Opened o = openAndList(&openZip, data);
  ASSERT_EQ(o.listResult, Result::ok);
  ASSERT_EQ(o.members.size(), 2u);
  EXPECT_EQ(o.members[0].name, "upper/kept.jpg");
  EXPECT_EQ(o.members[1].name, "real.jpg");
}

// Info-ZIP on Unix writes the mode and the MS-DOS byte together.
TEST(ZipAttributesCorpus, UnixMadeTreeListsFilesAndFolders) {
  if (!sharedCorpusPresent()) GTEST_SKIP() << "shared/testdata/archives is not beside the repository";
  const std::vector<std::uint8_t> data = readFile(sharedPath("zip/made-debian/folders_sjis_deflate.zip"));
  Opened o = openAndList(&openZip, data);
  ASSERT_EQ(o.listResult, Result::ok);
  for (const MemberEntry& m : o.members) {
    const bool folder = m.name.back() == '/';
    EXPECT_EQ(m.isFolder, folder) << m.name;
    EXPECT_EQ(shown(m), folder ? "----D" : "---A") << m.name;
  }
  EXPECT_NE(findMember(o.members, "\x95\x5c\x8e\x86.bmp"), nullptr);
}

}  // namespace
}  // namespace rivano::arc::test
