#include <gtest/gtest.h>

#include "archive/member_text.h"
#include "common/run_error.h"

namespace rivano {
namespace {

TEST(MemberColumns, SizeIsRightAlignedInNineCharacters) {
  EXPECT_EQ(memberSizeText(1234), L"     1234");
  EXPECT_EQ(memberSizeText(0), L"        0");
  EXPECT_EQ(memberSizeText(999999999), L"999999999");
}

TEST(MemberColumns, TenDigitSizeRaisesOverflow) {
  for (std::uint32_t size : {1000000000u, 4294967280u, 0xFFFFFFFFu}) {
    try {
      memberSizeText(size);
      ADD_FAILURE() << size << " was accepted";
    } catch (const RunError& e) {
      EXPECT_EQ(e.number(), err::overflow) << size;
    }
  }
}

TEST(MemberColumns, DateFromMsDosDate) {
  auto dos = [](unsigned y, unsigned m, unsigned d) {
    return static_cast<std::uint16_t>(((y - 1980) << 9) | (m << 5) | d);
  };
  EXPECT_EQ(memberDateText(dos(1999, 3, 7)), L"1999/03/07");
  EXPECT_EQ(memberDateText(dos(1980, 1, 1)), L"1980/01/01");
  EXPECT_EQ(memberDateText(dos(2107, 12, 31)), L"2107/12/31");
  EXPECT_EQ(memberDateText(0), L"1980/00/00");
}

TEST(MemberColumns, AttributesFirstFourLowered) {
  EXPECT_EQ(memberAttributeText(L"-A--"), L"-a--");
  EXPECT_EQ(memberAttributeText(L"A---W"), L"a---");
  EXPECT_EQ(memberAttributeText(L"RHSA"), L"rhsa");
  EXPECT_EQ(memberAttributeText(L"---AD"), L"---a");
  EXPECT_EQ(memberAttributeText(L"-w"), L"-w");
  EXPECT_EQ(memberAttributeText(L""), L"");
}

TEST(ExtractCommand, EachLibraryGetsItsOwnWords) {
  const std::wstring paths = L"\"C:\\p\\a.x\" \"C:\\R\\UnPakTmp\\\" \"photos\\a.JPG\"";
  auto line = [](const wchar_t* kind) {
    return extractCommandLine(kindFromText(kind), L"C:\\p\\a.x", L"C:\\R\\UnPakTmp", L"photos\\a.JPG");
  };
  EXPECT_EQ(line(L"LZH"), L"x " + paths);
  EXPECT_EQ(line(L"ARJ"), L"x " + paths);
  EXPECT_EQ(line(L"ZIP"), L"-x -o " + paths);
  EXPECT_EQ(line(L"CAB"), L"-x -o " + paths);
  EXPECT_EQ(line(L"TAR"), L"xvf " + paths);
  EXPECT_EQ(line(L"TGZ"), L"xvf " + paths);
  EXPECT_EQ(line(L"BZ2"), L"xvf " + paths);
  EXPECT_EQ(line(L"RAR"), L"-x " + paths);
  EXPECT_EQ(line(L"DIR"), L"");
  EXPECT_EQ(extractCommandLine(SourceKind::none, L"C:\\p\\a.x", L"C:\\R\\UnPakTmp", L"a.jpg"), L"");
}

TEST(MemberNames, OrdinaryNamesStayInside) {
  for (const wchar_t* name : {L"a.jpg", L"photos\\a.JPG", L"photos/old/c.BMP", L"写真.jpg",
                              L"表紙.bmp", L"..a.jpg", L"a..b.jpg", L"photos\\.hidden.gif",
                              L"a b.jpg"})
    EXPECT_TRUE(memberNameStaysInside(name)) << name;
}

TEST(MemberNames, ClimbingOrRedirectingNamesAreRefused) {
  for (const wchar_t* name :
       {L"..\\..\\evil.jpg", L"../evil.jpg", L"photos/../../evil.jpg", L"photos\\..", L"..",
        L"\\abs\\evil.bmp", L"/tmp/evil.gif", L"\\\\server\\share\\evil.bmp", L"C:\\evil.jpg",
        L"C:evil.jpg", L"a.jpg:stream", L"...\\evil.jpg", L". .\\evil.jpg", L"photos\\\\a.jpg",
        L"photos\\", L"", L"a\" \"C:\\x\\\" \"b.jpg", L"a\".jpg", L"*.jpg", L"a?.jpg",
        L"a|b.jpg", L"a<b.jpg", L"a\tb.jpg"})
    EXPECT_FALSE(memberNameStaysInside(name)) << name;
}

}  // namespace
}  // namespace rivano
