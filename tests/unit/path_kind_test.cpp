#include "engine/path_kind.h"

#include <gtest/gtest.h>

namespace rivano {
namespace {

TEST(ArchiveType, LastThreeCharactersAnyCase) {
  EXPECT_EQ(myArchiveType(L"C:\\pics\\a.Lzh"), L"LZH");
  EXPECT_EQ(myArchiveType(L"C:\\pics\\A.LZH"), L"LZH");
  EXPECT_EQ(myArchiveType(L"C:\\pics\\a.tgz"), L"TGZ");
  EXPECT_EQ(myArchiveType(L"d.bz2"), L"BZ2");
  EXPECT_EQ(myArchiveType(L"x.rar"), L"RAR");
  EXPECT_EQ(myArchiveType(L"x.cab"), L"CAB");
  EXPECT_EQ(myArchiveType(L"x.arj"), L"ARJ");
  EXPECT_EQ(myArchiveType(L"x.tar"), L"TAR");
}

TEST(ArchiveType, NoDotIsNeededAndOtherEndingsAreNoArchive) {
  EXPECT_EQ(myArchiveType(L"backupzip"), L"ZIP");
  EXPECT_EQ(myArchiveType(L"ZIP"), L"ZIP");
  EXPECT_EQ(myArchiveType(L"zi"), L"");
  EXPECT_EQ(myArchiveType(L""), L"");
  EXPECT_EQ(myArchiveType(L"C:\\pics\\a.lha"), L"");
  EXPECT_EQ(myArchiveType(L"C:\\pics\\a.tar.gz"), L"");
  EXPECT_EQ(myArchiveType(L"C:\\写真\\壁紙.zip"), L"ZIP");
}

TEST(PictureCheck, PictureEndings) {
  for (const wchar_t* name : {L"a.bmp", L"a.GIF", L"a.jpg", L"a.JPE", L"a.jpeg", L"a.Ico", L"a.wmf",
                              L"C:\\写真\\夏.JPG"})
    EXPECT_TRUE(myPictureCheck(name)) << name;
}

TEST(PictureCheck, OtherEndingsAndShortNames) {
  for (const wchar_t* name : {L"a.png", L"a.tif", L"a.jp", L"GIF", L"", L"a.bmp ", L"a.emf"})
    EXPECT_FALSE(myPictureCheck(name)) << name;
}

}  // namespace
}  // namespace rivano
