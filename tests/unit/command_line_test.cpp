#include "app/command_line.h"
#include "app/program_paths.h"

#include <gtest/gtest.h>

namespace rivano {
namespace {

RunKind kindOf(const wchar_t* arguments) { return dispatchKind(preparedCommandLine(arguments)); }

TEST(CommandLine, ArgumentsFollowTheProgramName) {
  EXPECT_EQ(argumentText(L"\"C:\\Program Files\\Rivano\\Rivano.exe\" /S"), L"/S");
  EXPECT_EQ(argumentText(L"Rivano.exe   /s"), L"  /s");
  EXPECT_EQ(argumentText(L"Rivano.exe"), L"");
  EXPECT_EQ(argumentText(L"\"C:\\a b\\Rivano.exe\""), L"");
}

TEST(CommandLine, Switches) {
  EXPECT_EQ(kindOf(L"/S"), RunKind::silent);
  EXPECT_EQ(kindOf(L"  /s"), RunKind::silent);
  EXPECT_EQ(kindOf(L"/n"), RunKind::noRandom);
  EXPECT_EQ(kindOf(L""), RunKind::interactive);
  EXPECT_EQ(kindOf(L"   "), RunKind::interactive);
}

TEST(CommandLine, NearMissesEndTheRunSilently) {
  EXPECT_EQ(kindOf(L"/S "), RunKind::nothing);
  EXPECT_EQ(kindOf(L"-S"), RunKind::nothing);
  EXPECT_EQ(kindOf(L"/X"), RunKind::nothing);
  EXPECT_EQ(kindOf(L"C:\\docs\\readme.txt"), RunKind::nothing);
  EXPECT_EQ(kindOf(L"C:\\pics\\a.jpg "), RunKind::nothing);
}

TEST(CommandLine, PicturePathsKeepTheirCase) {
  EXPECT_EQ(kindOf(L"C:\\Pics\\Sunset.jpg"), RunKind::picture);
  EXPECT_EQ(picturePath(L"  C:\\Pics\\Sunset.jpg"), L"C:\\Pics\\Sunset.jpg");
}

TEST(CommandLine, QuotedDroppedPathIsStillAPicture) {
  // The shell quotes a dropped path that holds a space.
  EXPECT_EQ(kindOf(L"\"C:\\My Pictures\\a.JPG\""), RunKind::picture);
  EXPECT_EQ(picturePath(L"\"C:\\My Pictures\\a.JPG\""), L"C:\\My Pictures\\a.JPG");
  EXPECT_EQ(kindOf(L"\"C:\\My Pictures\\a.txt\""), RunKind::nothing);
}

TEST(ProgramPaths, FolderAlwaysEndsInOneBackslash) {
  EXPECT_EQ(appPathFromModule(L"C:\\Tools\\Rivano\\Rivano.exe"), L"C:\\Tools\\Rivano\\");
  EXPECT_EQ(appPathFromModule(L"C:\\Rivano.exe"), L"C:\\");
}

}  // namespace
}  // namespace rivano
