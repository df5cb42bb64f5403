#include "engine/path_kind.h"

#include <gtest/gtest.h>

namespace rivano {
namespace {

std::wstring archiveKindText(std::wstring_view path) { return std::wstring(kindText(archiveKindOf(path))); }

TEST(ArchiveType, LastThreeCharactersAnyCase) {
  EXPECT_EQ(archiveKindText(L"C:\\pics\\a.Lzh"), L"LZH");
  EXPECT_EQ(archiveKindText(L"C:\\pics\\A.LZH"), L"LZH");
  EXPECT_EQ(archiveKindText(L"C:\\pics\\a.tgz"), L"TGZ");
  EXPECT_EQ(archiveKindText(L"d.bz2"), L"BZ2");
  EXPECT_EQ(archiveKindText(L"x.rar"), L"RAR");
  EXPECT_EQ(archiveKindText(L"x.cab"), L"CAB");
  EXPECT_EQ(archiveKindText(L"x.arj"), L"ARJ");
  EXPECT_EQ(archiveKindText(L"x.tar"), L"TAR");
}

TEST(ArchiveType, NoDotIsNeededAndOtherEndingsAreNoArchive) {
  EXPECT_EQ(archiveKindText(L"backupzip"), L"ZIP");
  EXPECT_EQ(archiveKindText(L"ZIP"), L"ZIP");
  EXPECT_EQ(archiveKindText(L"zi"), L"");
  EXPECT_EQ(archiveKindText(L""), L"");
  EXPECT_EQ(archiveKindText(L"C:\\pics\\a.lha"), L"");
  EXPECT_EQ(archiveKindText(L"C:\\pics\\a.tar.gz"), L"");
  EXPECT_EQ(archiveKindText(L"C:\\写真\\壁紙.zip"), L"ZIP");
}

TEST(PictureCheck, PictureEndings) {
  for (const wchar_t* name : {L"a.bmp", L"a.GIF", L"a.jpg", L"a.JPE", L"a.jpeg", L"a.Ico", L"a.wmf",
                              L"a.png", L"a.PNG", L"C:\\写真\\夏.JPG", L"C:\\写真\\海.Png"})
    EXPECT_TRUE(isPictureName(name)) << name;
}

TEST(PictureCheck, OtherEndingsAndShortNames) {
  for (const wchar_t* name : {L"a.tif", L"a.jp", L"a.pn", L"PNG", L"GIF", L"", L"a.bmp ", L"a.emf"})
    EXPECT_FALSE(isPictureName(name)) << name;
}

}  // namespace
}  // namespace rivano

#include "engine/data_type.h"
#include "common/run_error.h"

namespace rivano {
namespace {

TEST(DataType, FolderWhateverItsNameArchiveByNameAndSilentWhenGone) {
  int reported = 0;
  const ErrorReport report = [&](int n) { reported = n; };
  const AttributeQuery folder = [](const std::wstring&) { return PathAttributes{16 | 1, 0}; };
  const AttributeQuery file = [](const std::wstring&) { return PathAttributes{32, 0}; };
  const AttributeQuery gone = [](const std::wstring&) { return PathAttributes{0, err::fileNotFound}; };
  EXPECT_EQ(sourceKindOf(L"C:\\pics.zip", folder, report), SourceKind::folder);
  EXPECT_EQ(sourceKindOf(L"C:\\a.Zip", file, report), SourceKind::zip);
  EXPECT_EQ(sourceKindOf(L"C:\\a.jpg", file, report), SourceKind::none);
  EXPECT_EQ(sourceKindOf(L"C:\\a.zip", gone, report), SourceKind::none);
  EXPECT_EQ(reported, 0);
}

TEST(DataType, MissingFolderAndOtherFailuresAreReported) {
  int reported = 0;
  const ErrorReport report = [&](int n) { reported = n; };
  EXPECT_EQ(sourceKindOf(L"C:\\no\\a.zip",
                         [](const std::wstring&) { return PathAttributes{0, err::pathNotFound}; }, report),
            SourceKind::none);
  EXPECT_EQ(reported, err::pathNotFound);
  EXPECT_EQ(sourceKindOf(L"\\\\?\\bad", [](const std::wstring&) { return PathAttributes{0, 52}; }, report),
            SourceKind::none);
  EXPECT_EQ(reported, 52);
}

}  // namespace
}  // namespace rivano

#include "engine/file_row.h"

namespace rivano {
namespace {

TEST(FileRow, ColumnsOfAPictureFile) {
  EXPECT_EQ(fileSizeText(12345678), L"    12345678");
  EXPECT_EQ(fileSizeText(0), L"           0");
  EXPECT_EQ(fileDateText(1999, 3, 7), L"1999/03/07");
  EXPECT_EQ(fileAttributeText(0x20), L"---a");
  EXPECT_EQ(fileAttributeText(0x21), L"r--a");
  EXPECT_EQ(fileAttributeText(0x07), L"rhs-");
  EXPECT_EQ(fileAttributeText(0x80), L"----");  // FILE_ATTRIBUTE_NORMAL
}

}  // namespace
}  // namespace rivano
