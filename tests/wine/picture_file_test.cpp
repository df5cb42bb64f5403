// The file behind a picture, as the window's preview and close and the
// logon run find it: a folder's own file, or where a member is taken out.
#include "flow/picture_file.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "platform/archiver_libraries.h"
#include "platform/file_system.h"
#include "platform/win32_registry.h"
#include "tests/wine/test_support.h"

namespace rivano {
namespace {

void touch(const std::wstring& path) { testing::writeFileBytes(path, {'B', 'M'}); }

TEST(FolderPictureFile, AFolderWithAPlainFileGivesThePictureWithOrWithoutItsBackslash) {
  testing::TempFolder folder(L"picfile");
  touch(folder.path() + L"a.bmp");
  const std::wstring bare = folder.path().substr(0, folder.path().size() - 1);
  EXPECT_EQ(folderPictureFile(bare, L"a.bmp"), folder.path() + L"a.bmp");
  EXPECT_EQ(folderPictureFile(folder.path(), L"a.bmp"), folder.path() + L"a.bmp");
  // A picture gone since the list was made: the caller finds out that the
  // file is missing and tells it; the folder still holds a plain file.
  EXPECT_EQ(folderPictureFile(bare, L"gone.bmp"), folder.path() + L"gone.bmp");
}

TEST(FolderPictureFile, AFolderOfSubFoldersAloneHasNothingToLoad) {
  testing::TempFolder folder(L"picfile");
  ASSERT_TRUE(CreateDirectoryW((folder.path() + L"sub.bmp").c_str(), nullptr));
  EXPECT_EQ(folderPictureFile(folder.path(), L"sub.bmp"), L"");
}

TEST(MemberCopy, ANameLeadingOutOfTheTemporaryFolderHasNoCopyAndIsNeverTakenOut) {
  const std::wstring unpack = L"C:\\tmp\\UnPakTmp";
  EXPECT_EQ(memberCopyPath(unpack, L"pics\\a.bmp"), L"C:\\tmp\\UnPakTmp\\pics\\a.bmp");
  for (const wchar_t* name : {L"..\\a.bmp", L"pics\\..\\..\\a.bmp", L"C:\\a.bmp", L"\\a.bmp"})
    EXPECT_EQ(memberCopyPath(unpack, name), L"") << testing::narrow(name);

  testing::TempFolder folder(L"picfile");
  win::ArchiverLibraries libraries;
  win::Win32Registry registry;
  ArchiveAccess archives{libraries, registry, folder.path() + L"UnPakTmp", nullptr, true};
  EXPECT_FALSE(takeOutMember(archives, folder.path() + L"a.zip", L"..\\a.bmp", L""));
  // No library reads this kind: a copy left there is not replaced, nor
  // handed out as the member.
  touch(folder.path() + L"left.bmp");
  EXPECT_FALSE(takeOutMember(archives, folder.path() + L"a.txt", L"left.bmp", folder.path() + L"left.bmp"));
}

}  // namespace
}  // namespace rivano
