#include <gtest/gtest.h>

#include "shell/file_type_name.h"
#include "shell/path_parts.h"
#include "tests/unit/memory_registry.h"

namespace rivano {
namespace {

TEST(PathParts, FolderIsEverythingBeforeTheLastBackslash) {
  EXPECT_EQ(folderOfPath(L"C:\\pics\\summer\\a.jpg"), L"C:\\pics\\summer");
  EXPECT_EQ(folderOfPath(L"C:\\a.jpg"), L"C:");
  EXPECT_EQ(folderOfPath(L"C:\\pics\\"), L"C:\\pics");
  EXPECT_EQ(folderOfPath(L"a.jpg"), L"");
  EXPECT_EQ(folderOfPath(L""), L"");
  EXPECT_EQ(folderOfPath(L"C:\\写真\\夏.JPG"), L"C:\\写真");
}

TEST(PathParts, FileIsEverythingAfterTheLastBackslash) {
  EXPECT_EQ(fileNameOfPath(L"C:\\pics\\summer\\a.jpg"), L"a.jpg");
  EXPECT_EQ(fileNameOfPath(L"C:\\pics\\"), L"");
  EXPECT_EQ(fileNameOfPath(L""), L"");
  // A bare name has no backslash, so no file part either.
  EXPECT_EQ(fileNameOfPath(L"a.jpg"), L"");
  EXPECT_EQ(fileNameOfPath(L"\\a.jpg"), L"a.jpg");
  EXPECT_EQ(fileNameOfPath(L"C:\\写真\\夏.JPG"), L"夏.JPG");
}

TEST(PathParts, ExtensionBelongsToTheLastComponentOnly) {
  EXPECT_EQ(extensionOfPath(L"C:\\pics\\a.jpeg"), L"JPEG");
  EXPECT_EQ(extensionOfPath(L"C:\\pics\\a.Tar.Gz"), L"GZ");
  EXPECT_EQ(extensionOfPath(L"C:\\my.pics\\readme"), L"");
  EXPECT_EQ(extensionOfPath(L"photos.old/readme"), L"");
  EXPECT_EQ(extensionOfPath(L"C:\\pics\\a."), L"");
  EXPECT_EQ(extensionOfPath(L".bmp"), L"BMP");
  EXPECT_EQ(extensionOfPath(L"noext"), L"");
  EXPECT_EQ(extensionOfPath(L""), L"");
  EXPECT_EQ(extensionOfPath(L"photos/a.JpG"), L"JPG");
}

class FileTypeName : public ::testing::Test {
 protected:
  void registerType(const std::wstring& ext, const std::wstring& typeClass,
                    const std::wstring* description) {
    registry.writeSystemText(RegRoot::classesRoot, ext, L"", typeClass);
    if (description) registry.writeSystemText(RegRoot::classesRoot, typeClass, L"", *description);
  }
  testing::MemoryRegistry registry;
};

TEST_F(FileTypeName, RegisteredTypeGivesItsDescription) {
  const std::wstring description = L"JPEG 画像";
  registerType(L".JPG", L"jpegfile", &description);
  EXPECT_EQ(fileTypeName(registry, L"C:\\pics\\a.jpg"), L"JPEG 画像");
  EXPECT_EQ(fileTypeName(registry, L"photos\\b.JPG"), L"JPEG 画像");
}

TEST_F(FileTypeName, MissingLookupsFallBackToTheExtension) {
  EXPECT_EQ(fileTypeName(registry, L"C:\\pics\\a.xyz"), L"XYZ");
  // A class without a description of its own.
  registerType(L".GIF", L"giffile", nullptr);
  EXPECT_EQ(fileTypeName(registry, L"a.gif"), L"GIF");
  // No extension at all: empty text, never the class table root's value.
  registry.writeSystemText(RegRoot::classesRoot, L"", L"", L"root value");
  EXPECT_EQ(fileTypeName(registry, L"C:\\pics\\noext"), L"");
}

}  // namespace
}  // namespace rivano
