// The shared pieces every reader and the DLL shell stand on.
#include <gtest/gtest.h>

#include <cstring>

#include "archivers/core/byte_reader.h"
#include "archivers/core/command_line.h"
#include "archivers/core/crc32.h"
#include "archivers/core/dos_time.h"
#include "archivers/core/member_path.h"
#include "archivers/core/member_record.h"
#include "archivers/core/reader_registry.h"
#include "archivers/core/unix_entry.h"
#include "archivers/core/wildcard.h"

namespace rivano::arc {
namespace {

TEST(ByteReader, ReadsLittleEndianAndRefusesToRunPastTheEnd) {
  const std::uint8_t bytes[] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06};
  ByteReader r(bytes);
  std::uint16_t a = 0;
  std::uint32_t b = 0;
  ASSERT_TRUE(r.u16(a));
  EXPECT_EQ(a, 0x0201);
  ASSERT_TRUE(r.u32(b));
  EXPECT_EQ(b, 0x06050403u);
  EXPECT_FALSE(r.u8(*reinterpret_cast<std::uint8_t*>(&a)));
  EXPECT_TRUE(r.atEnd());
}

TEST(ByteReader, FailedReadsLeaveThePositionAlone) {
  const std::uint8_t bytes[] = {1, 2, 3};
  ByteReader r(bytes, 1);
  std::uint32_t v = 0;
  ByteSpan span;
  EXPECT_FALSE(r.u32(v));
  EXPECT_FALSE(r.bytes(3, span));
  EXPECT_FALSE(r.skip(UINT64_MAX));
  EXPECT_FALSE(r.seek(4));
  EXPECT_EQ(r.position(), 1u);
  ASSERT_TRUE(r.bytes(2, span));
  EXPECT_EQ(span.size(), 2u);
  EXPECT_EQ(span[1], 3);
}

TEST(Crc32, MatchesKnownValuesAndCanBeFedInPieces) {
  const char* text = "123456789";
  const auto* p = reinterpret_cast<const std::uint8_t*>(text);
  EXPECT_EQ(crc32Update(0, p, 9), 0xCBF43926u);
  EXPECT_EQ(crc32Update(0, p, 0), 0u);
  for (std::size_t split = 0; split <= 9; ++split) {
    EXPECT_EQ(crc32Update(crc32Update(0, p, split), p + split, 9 - split), 0xCBF43926u) << split;
  }
}

TEST(DosTime, PacksAndUnpacksCalendarTime) {
  const CivilTime t{1999, 3, 7, 12, 34, 56};
  EXPECT_EQ(dosDate(t), (19 << 9) | (3 << 5) | 7);
  EXPECT_EQ(dosTime(t), (12 << 11) | (34 << 5) | 28);
  const CivilTime back = civilFromDos(dosDate(t), dosTime(t));
  EXPECT_EQ(back.year, 1999);
  EXPECT_EQ(back.month, 3);
  EXPECT_EQ(back.day, 7);
  EXPECT_EQ(back.second, 56);
}

TEST(DosTime, ConvertsUnixSecondsIncludingLeapDaysAndClampsOutOfRange) {
  struct Case {
    std::int64_t seconds;
    int year, month, day, hour;
  } cases[] = {
      {920808000, 1999, 3, 7, 12},   // 1999-03-07 12:00 UTC
      {951782400, 2000, 2, 29, 0},   // a leap day of a century year
      {1714564800, 2024, 5, 1, 12},
      {0, 1970, 1, 1, 0},
      {-86400, 1969, 12, 31, 0},
  };
  for (const Case& c : cases) {
    const CivilTime t = civilFromUnix(c.seconds);
    EXPECT_EQ(t.year, c.year) << c.seconds;
    EXPECT_EQ(t.month, c.month) << c.seconds;
    EXPECT_EQ(t.day, c.day) << c.seconds;
    EXPECT_EQ(t.hour, c.hour) << c.seconds;
  }
  EXPECT_EQ(dosDate(civilFromUnix(0)), (0 << 9) | (1 << 5) | 1);  // before 1980: 1980-01-01
  EXPECT_EQ(dosDate(civilFromUnix(INT64_MAX)) >> 9, 127);         // absurd: 2107
}

struct CommandCase {
  const char* prefix;
  const char* line;
  bool accepted;
  const char* member;
};

TEST(CommandLine, AcceptsExactlyTheCommandEachLibraryIsSent) {
  const CommandCase cases[] = {
      {"UnZip", R"(-x -o "C:\a.zip" "C:\tmp\" "photos\a.JPG")", true, R"(photos\a.JPG)"},
      {"Cab", R"(-x -o "C:\a.cab" "C:\tmp\" "b.bmp")", true, "b.bmp"},
      {"Tar", R"(xvf "C:\a b.tgz" "C:\t m p\" "x y.jpg")", true, "x y.jpg"},
      {"Unlha", R"(x "C:\a.lzh" "C:\tmp\" "a.gif")", true, "a.gif"},
      {"Unarj", R"(X "C:\a.arj" "C:\tmp\" "a.gif")", true, "a.gif"},
      {"Unrar", R"(-x "C:\a.rar" "C:\tmp\" "a.gif")", true, "a.gif"},
      // Switches of another library, or none.
      {"UnZip", R"(x "C:\a.zip" "C:\tmp\" "a.jpg")", false, nullptr},
      {"Tar", R"(-x -o "C:\a.tar" "C:\tmp\" "a.jpg")", false, nullptr},
      {"Nope", R"(x "C:\a" "C:\tmp\" "a")", false, nullptr},
      // A quote in the member name closes its token early: refused, so the
      // name can never supply a destination of its own.
      {"UnZip", R"(-x -o "C:\a.zip" "C:\tmp\" "a" "C:\evil\" "b.jpg")", false, nullptr},
      {"UnZip", R"(-x -o "C:\a.zip" "C:\tmp\" "a"b.jpg")", false, nullptr},
      {"Tar", R"(xvf "C:\a".tar" "C:\tmp\" "b.jpg")", false, nullptr},
      {"UnZip", R"(-x -o "C:\a.zip" "C:\tmp\" "unterminated)", false, nullptr},
      {"UnZip", R"(-x -o "C:\a.zip" "C:\tmp\")", false, nullptr},
      {"UnZip", R"(-x -o "C:\a.zip" "C:\tmp\" "")", false, nullptr},
      {"UnZip", R"(-x -o C:\a.zip "C:\tmp\" "a.jpg")", false, nullptr},
      {"UnZip", "", false, nullptr},
  };
  for (const CommandCase& c : cases) {
    ExtractCommand cmd;
    EXPECT_EQ(parseExtractCommand(c.prefix, c.line, cmd), c.accepted) << c.prefix << " " << c.line;
    if (c.accepted && c.member != nullptr) {
      EXPECT_EQ(cmd.member, c.member) << c.line;
    }
  }
}

TEST(CommandLine, StopsAtTheNulTheProgramAppends) {
  const char line[] = "-x -o \"C:\\a.zip\" \"C:\\tmp\\\" \"a.jpg\"\0\"C:\\evil\\\"";
  ExtractCommand cmd;
  ASSERT_TRUE(parseExtractCommand("UnZip", std::string_view(line, sizeof line - 1), cmd));
  EXPECT_EQ(cmd.destination, "C:\\tmp\\");
}

TEST(CommandLine, SplitsTheThreePaths) {
  ExtractCommand cmd;
  ASSERT_TRUE(parseExtractCommand("Tar", R"(xvf  "C:\My Pictures\a.tgz"  "C:\Temp\x\"  "d/e.jpg")", cmd));
  EXPECT_EQ(cmd.archive, R"(C:\My Pictures\a.tgz)");
  EXPECT_EQ(cmd.destination, R"(C:\Temp\x\)");
  EXPECT_EQ(cmd.member, "d/e.jpg");
}

TEST(MemberPath, SplitsShiftJisNamesOnlyAtRealSeparators) {
  // 表紙.bmp: the second byte of 表 is 0x5C.
  const std::string hyoushi = "\x95\x5c\x8e\x86.bmp";
  const auto parts = splitMemberPath("photos/" + hyoushi, isCp932LeadByte);
  ASSERT_EQ(parts.size(), 2u);
  EXPECT_EQ(parts[1], hyoushi);
  EXPECT_EQ(splitMemberPath(hyoushi, isSingleByte).size(), 2u);  // what a byte-wise split would do
  EXPECT_EQ(toBackslashes("a/" + hyoushi, isCp932LeadByte), "a\\" + hyoushi);
  EXPECT_TRUE(sameMemberName("photos/a.JPG", "photos\\a.JPG", isCp932LeadByte));
  EXPECT_FALSE(sameMemberName("photos/a.JPG", "photos/b.JPG", isCp932LeadByte));
}

TEST(MemberPath, PlacesOrdinaryNamesUnderTheDestination) {
  struct Case {
    const char* member;
    const char* file;
    std::size_t folders;
  } cases[] = {
      {"a.jpg", R"(C:\tmp\a.jpg)", 0},
      {"photos/a.JPG", R"(C:\tmp\photos\a.JPG)", 1},
      {R"(photos\old\c.BMP)", R"(C:\tmp\photos\old\c.BMP)", 2},
      {"./x//y.gif", R"(C:\tmp\x\y.gif)", 1},
      {"..a.jpg", R"(C:\tmp\..a.jpg)", 0},
  };
  for (const Case& c : cases) {
    PlacedPath p;
    ASSERT_TRUE(placeUnder(R"(C:\tmp\)", c.member, isCp932LeadByte, p)) << c.member;
    EXPECT_EQ(p.file, c.file);
    EXPECT_EQ(p.folders.size(), c.folders) << c.member;
  }
  PlacedPath p;
  ASSERT_TRUE(placeUnder(R"(C:\tmp)", "photos/a.JPG", isCp932LeadByte, p));
  EXPECT_EQ(p.file, R"(C:\tmp\photos\a.JPG)");
  EXPECT_EQ(p.folders.at(0), R"(C:\tmp\photos)");
  EXPECT_EQ(p.parent, R"(C:\tmp\photos\)");
  const std::string sjis = "\x95\x5c\x8e\x86.bmp";
  ASSERT_TRUE(placeUnder(R"(C:\tmp\)", sjis, isCp932LeadByte, p));
  EXPECT_EQ(p.file, std::string(R"(C:\tmp\)") + sjis);
  EXPECT_TRUE(p.folders.empty());
}

TEST(MemberPath, RefusesEveryNameThatWouldLeaveTheDestination) {
  const char* hostile[] = {
      "../evil.jpg", R"(..\evil.jpg)", R"(photos\..\..\evil.jpg)", "photos/../../evil.jpg",
      "/tmp/evil.gif", R"(\abs\evil.bmp)", R"(\\server\share\evil.bmp)", R"(C:\Windows\evil.jpg)",
      "C:evil.jpg", "a.jpg:stream", ".. /evil.jpg", "... /evil.jpg", "photos/..", "photos/", "",
      "CON", "nul.jpg", "photos/COM1.gif", "bad\x01name.jpg", "what?.jpg", "a|b.jpg", "x\"y.jpg",
  };
  for (const char* name : hostile) {
    PlacedPath p;
    EXPECT_FALSE(placeUnder(R"(C:\tmp\)", name, isCp932LeadByte, p)) << name;
  }
  PlacedPath p;
  EXPECT_FALSE(placeUnder(R"(C:\tmp\)", std::string(300, 'a'), isCp932LeadByte, p));
}

// A safe name that Windows cannot hold is too long, not unsafe: the two
// need different answers from whoever reads the error.
TEST(MemberPath, ASafeNameTooLongForWindowsIsToldApartFromAnUnsafeOne) {
  PlacedPath p;
  EXPECT_EQ(placeMember(R"(C:\tmp\)", std::string(300, 'a'), isCp932LeadByte, p), Placement::tooLong);
  const std::string deep = "photos/" + std::string(130, 'b') + "/" + std::string(130, 'c') + ".jpg";
  EXPECT_EQ(placeMember(R"(C:\tmp\)", deep, isCp932LeadByte, p), Placement::tooLong);
  // One part beyond what a file system takes, though the path is short.
  EXPECT_EQ(placeMember("C:\\", std::string(256, 'd'), isCp932LeadByte, p), Placement::tooLong);
  EXPECT_EQ(placeMember("C:\\", std::string(255, 'd'), isCp932LeadByte, p), Placement::placed);
  // The longest path that fits: 259 bytes.
  const std::string dest = R"(C:\tmp\)";
  EXPECT_EQ(placeMember(dest, "x/" + std::string(259 - dest.size() - 2, 'e'), isCp932LeadByte, p),
            Placement::placed);
  EXPECT_EQ(p.file.size(), 259u);
  EXPECT_EQ(placeMember(dest, "x/" + std::string(260 - dest.size() - 2, 'e'), isCp932LeadByte, p),
            Placement::tooLong);
  // Unsafe wins over long: a climbing name stays refused as such.
  EXPECT_EQ(placeMember(R"(C:\tmp\)", "../" + std::string(300, 'f'), isCp932LeadByte, p), Placement::unsafe);
  EXPECT_EQ(placeMember(R"(C:\tmp\)", std::string(300, 'g') + "/CON", isCp932LeadByte, p), Placement::unsafe);
}

// A lead byte before ':', '/' or a control character makes no character in
// any double-byte code page; how such a pair is converted differs, so it is
// refused. Real second bytes, 0x5C and 0x7C among them, stay acceptable.
TEST(MemberPath, RefusesALeadByteBeforeAByteNoCodePageHasAsSecond) {
  const std::string broken[] = {"\x9F:stream.jpg", "photos/\x81/../../evil.jpg", "a\x81\x01.jpg", "\xE0\"x.jpg"};
  for (const std::string& name : broken) {
    PlacedPath p;
    EXPECT_FALSE(placeUnder(R"(C:\tmp\)", name, isCp932LeadByte, p)) << name;
  }
  const std::string fine[] = {"\x95\x5c\x8e\x86.bmp", "\x81\x7c.jpg", "\x81\x40.jpg", "\x9F\xFC.jpg"};
  for (const std::string& name : fine) {
    PlacedPath p;
    EXPECT_TRUE(placeUnder(R"(C:\tmp\)", name, isCp932LeadByte, p)) << name;
  }
}

TEST(Wildcard, MatchesAsMsDosDoes) {
  struct Case {
    const char* pattern;
    const char* name;
    bool match;
  } cases[] = {
      {"*.*", "photo.jpg", true},    {"*.*", "README", true},        {"*.*", R"(photos\a.JPG)", true},
      {"*", "anything", true},       {"", "anything", true},         {"*.jpg", "A.JPG", true},
      {"*.jpg", "a.jpeg", false},    {"a?c", "abc", true},           {"a?c", "ac", false},
      {"*.bmp", "noext", false},     {"p*/*.gif", "p1/x.gif", true}, {"*a*a*a*b", "aaaaaaaaaaaaaaaaaaaa", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(wildcardMatch(c.pattern, c.name), c.match) << c.pattern << " ~ " << c.name;
  }
}

TEST(MemberRecord, FillsTheFieldsTheProgramReads) {
  MemberEntry e;
  e.name = "ignored";
  e.size = 1234;
  e.packedSize = 617;
  e.crc = 0xDEADBEEF;
  e.dosDate = static_cast<std::uint16_t>((19 << 9) | (3 << 5) | 7);
  e.dosTime = 0x6000;
  e.method = "deflate";
  MemberInfo info;
  fillMemberInfo(e, R"(photos\a.JPG)", info);
  const auto* raw = reinterpret_cast<const std::uint8_t*>(&info);
  std::uint32_t size = 0;
  std::uint16_t date = 0;
  std::memcpy(&size, raw + 0, 4);
  std::memcpy(&date, raw + 22, 2);
  EXPECT_EQ(size, 1234u);
  EXPECT_EQ(date, e.dosDate);
  EXPECT_STREQ(reinterpret_cast<const char*>(raw + 26), R"(photos\a.JPG)");
  EXPECT_STREQ(reinterpret_cast<const char*>(raw + 542), "---A");
  EXPECT_STREQ(reinterpret_cast<const char*>(raw + 550), "deflate");
  EXPECT_EQ(info.ratio, 500);
}

TEST(MemberRecord, ClampsWhatDoesNotFit) {
  MemberEntry e;
  e.size = std::uint64_t{5} << 32;
  e.method = "a-method-name-longer-than-eight";
  MemberInfo info;
  const std::string longName(600, 'x');
  fillMemberInfo(e, longName, info);
  EXPECT_EQ(info.originalSize, 0xFFFFFFFFu);
  EXPECT_EQ(std::strlen(info.fileName), 512u);
  EXPECT_EQ(std::strlen(info.method), 7u);
}

TEST(MemberRecord, AttributeTextShowsEachDosBitAndFolders) {
  EXPECT_EQ(attributeText(0x20, false), "---A");
  EXPECT_EQ(attributeText(0x00, false), "----");
  EXPECT_EQ(attributeText(0x27, false), "RHSA");
  EXPECT_EQ(attributeText(0x10, true), "----D");
}

TEST(UnixEntry, ModesBecomeFolderArchiveAndReadOnlyBitsOnly) {
  EXPECT_EQ(unixFileType(0100644), UnixFileType::regular);
  EXPECT_EQ(unixFileType(0040755), UnixFileType::folder);
  EXPECT_EQ(unixFileType(0120777), UnixFileType::symlink);
  EXPECT_EQ(unixFileType(0010644), UnixFileType::other);
  EXPECT_EQ(unixFileType(0644), UnixFileType::unknown);
  EXPECT_EQ(unixFileType(0xFFFF), UnixFileType::unknown);
  EXPECT_EQ(dosAttributesFromUnixMode(0100644, false), 0x20);
  EXPECT_EQ(dosAttributesFromUnixMode(0100444, false), 0x21);
  EXPECT_EQ(dosAttributesFromUnixMode(0040555, true), 0x11);
  EXPECT_EQ(dosAttributesFromUnixMode(0, false), 0x20);  // no permissions stored at all
  EXPECT_EQ(dosAttributesFromUnixMode(0100000, false), 0x20);
  EXPECT_EQ(dosAttributesFromUnixMode(0xFFFF, false), 0x20);  // never hidden or system
}

TEST(UnixEntry, OnlyWholeFolderPartsAreBehindALink) {
  LinkSet links;
  EXPECT_FALSE(links.covers("up/a.jpg"));
  links.add("up/");
  links.add("deep/er");
  EXPECT_TRUE(links.covers("up/a.jpg"));
  EXPECT_TRUE(links.covers("deep/er/x/a.jpg"));
  EXPECT_FALSE(links.covers("up"));
  EXPECT_FALSE(links.covers("upper/a.jpg"));
  EXPECT_FALSE(links.covers("deep/a.jpg"));
  EXPECT_FALSE(links.covers("x/up/a.jpg"));
}

std::unique_ptr<ArchiveReader> refuses(ByteSpan, const Limits&, Result& r) {
  r = Result::notThisFormat;
  return nullptr;
}
std::unique_ptr<ArchiveReader> brokenOne(ByteSpan, const Limits&, Result& r) {
  r = Result::corrupt;
  return nullptr;
}

TEST(ReaderRegistry, ReportsTheFailureOfAReaderThatRecognisedTheData) {
  const ReaderEntry readers[] = {{"a", &refuses}, {"b", &brokenOne}, {"c", &refuses}};
  Result r = Result::ok;
  EXPECT_EQ(openWithReaders(readers, {}, {}, r), nullptr);
  EXPECT_EQ(r, Result::corrupt);
  EXPECT_EQ(openWithReaders(std::span<const ReaderEntry>(readers, 1), {}, {}, r), nullptr);
  EXPECT_EQ(r, Result::notThisFormat);
}

TEST(ReaderRegistry, EveryLibraryHasItsTableAndTheCannotReadOnesAreEmptyOrForeign) {
  EXPECT_FALSE(readersFor("UnZip").empty());
  EXPECT_GE(readersFor("Tar").size(), 2u);
  ASSERT_EQ(readersFor("Unrar").size(), 1u);
  EXPECT_STREQ(readersFor("Unrar")[0].format, "rar");
  EXPECT_TRUE(readersFor("NoSuchLibrary").empty());
}

}  // namespace
}  // namespace rivano::arc
