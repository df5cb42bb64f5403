// The choice of the folder the program writes its bitmap and extraction
// folder in. Tests run as root, for whom every folder of a Linux disk can
// be written; /proc cannot be written by anyone, so under Wine "Z:\proc\"
// stands for a program folder the user may not write.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/data_folder.h"
#include "platform/file_system.h"
#include "tests/wine/test_support.h"

namespace rivano {
namespace {

using testing::TempFolder;

const std::wstring kUnwritable = L"Z:\\proc\\";

int entriesIn(const std::wstring& folder) {
  int n = 0;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return 0;
  do n += wcscmp(data.cFileName, L".") != 0 && wcscmp(data.cFileName, L"..") != 0;
  while (FindNextFileW(find, &data));
  FindClose(find);
  return n;
}

TEST(DataFolder, AWritableProgramFolderIsUsedAndTheProbeLeavesNothing) {
  TempFolder program{L"program"};
  TempFolder local{L"local"};
  EXPECT_TRUE(win::canWriteIn(program.path()));
  EXPECT_EQ(win::dataFolder(program.path(), [&] { return local.path(); }), program.path());
  EXPECT_EQ(entriesIn(program.path()), 0) << "a probe file was left behind";
  EXPECT_EQ(entriesIn(local.path()), 0) << "the local data folder was made for nothing";
}

TEST(DataFolder, AReadOnlyProgramFolderMovesToTheUsersLocalDataFolder) {
  ASSERT_FALSE(win::canWriteIn(kUnwritable));
  TempFolder local{L"local"};
  const std::wstring chosen = win::dataFolder(kUnwritable, [&] { return local.path(); });
  EXPECT_EQ(chosen, local.path() + L"Rivano\\");
  EXPECT_TRUE(win::directoryExists(chosen));
  // The next run finds it made, with its bitmap kept.
  testing::writeFileBytes(chosen + L"Rivano.bmp", {'B', 'M'});
  const std::wstring withoutBackslash = local.path().substr(0, local.path().size() - 1);
  EXPECT_EQ(win::dataFolder(kUnwritable, [&] { return withoutBackslash; }), chosen);
  EXPECT_TRUE(win::fileExists(chosen + L"Rivano.bmp"));
  DeleteFileW((chosen + L"Rivano.bmp").c_str());
  RemoveDirectoryW(chosen.c_str());
}

TEST(DataFolder, WithNowhereElseToWriteTheProgramFolderStays) {
  EXPECT_EQ(win::dataFolder(kUnwritable, [] { return std::wstring(); }), kUnwritable);
  // A local data folder that cannot be made either.
  EXPECT_EQ(win::dataFolder(kUnwritable, [] { return std::wstring(L"Z:\\proc"); }), kUnwritable);
}

}  // namespace
}  // namespace rivano
