// The main window against what an archive or a logon can throw at it: a
// silent run never waits on a box, a member's name never reaches outside
// the temporary folder, and a copy taken out of one archive is never
// taken for another archive's member of the same name.
#include "tests/wine/main_window_fixture.h"

namespace rivano {
namespace {

std::wstring archive(const wchar_t* name) { return testing::linuxPath(RIVANO_TEST_ARCHIVES) + L"\\" + name; }

int rowContaining(const RemoteListView& files, const std::wstring& part) {
  for (int i = 0; i < files.count(); ++i)
    if (files.text(i).find(part) != std::wstring::npos) return i;
  return -1;
}

using MainWindowHostile = MainWindow;

TEST_F(MainWindowHostile, SilentRunsNeverWaitOnABox) {
  // A member too large for the size column, a source whose parent folder
  // is gone: each would show its error dialog in a window of its own.
  registerSources({{archive(L"huge.zip"), true}, {folder.path() + L"gone\\deeper", true}});
  for (int run = 0; run < 3; ++run) {
    RunningProgram program(exe, L"/S");
    EXPECT_TRUE(program.waitForExit(20000)) << "the silent run is waiting";
    EXPECT_FALSE(program.hasVisibleWindow());
  }
  EXPECT_EQ(get(kWallList, L"List1"), archive(L"huge.zip"));  // the settings were saved

  // At logon while a copy runs: that copy keeps going, the logon run ends.
  registerSources({{pictures, false}});
  RunningProgram first(exe, L"/N");
  HWND window = openWindow(first);
  ASSERT_NE(window, nullptr);
  RunningProgram logon(exe, L"/S");
  EXPECT_TRUE(logon.waitForExit(20000)) << "the logon run waits on the second-copy box";
  close(first, window);
}

TEST_F(MainWindowHostile, AMemberNamedOutsideTheFolderIsNeverApplied) {
  // Real pictures where "..\evil_dotdot.jpg" and "photos\..\..\evil_mid.jpg"
  // would point from the temporary folder: the program's own folder.
  writePicture(L"evil_dotdot.jpg", solid(11, 11, 0xFF0000), folder.path());
  writePicture(L"evil_mid.jpg", solid(13, 13, 0xFF0000), folder.path());
  registerSources({{archive(L"traversal.zip"), false}});
  RunningProgram program(exe, L"/N");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  RemoteListView folders(GetDlgItem(window, main_ids::lvwMain));
  RemoteListView files(GetDlgItem(window, main_ids::lvwFile));
  folders.click(0);
  ASSERT_TRUE(waitUntil([&] { return files.count() >= 2; }, kPatience));
  for (const wchar_t* name : {L"evil_dotdot", L"evil_mid"}) {
    const int row = rowContaining(files, name);
    ASSERT_GE(row, 0) << testing::narrow(name) << " is not listed";
    files.click(row);
    ASSERT_TRUE(waitUntil([&] { return files.selected() == row; }, kPatience));
    // The start-up pick may have been "ok\\normal.jpg", whose bytes are no
    // picture: its preview message comes with this click.
    if (const auto told = program.waitForMessageBox(1000); told && told->title == res(IDS_TITLE_ITEM_CLICK)) {
      ASSERT_TRUE(testing::answerOk(program, told->hwnd));
    }
    PostMessageW(GetDlgItem(window, main_ids::cmdChange), BM_CLICK, 0, 0);
    const auto box = program.waitForMessageBox(kPatience);
    ASSERT_TRUE(box.has_value()) << "the change did not refuse " << testing::narrow(name);
    EXPECT_EQ(box->title, L"Rivano frmMain cmdChange");
    ASSERT_TRUE(testing::answerOk(program, box->hwnd));
    EXPECT_FALSE(win::fileExists(wallBmp()));
  }
  close(program, window);
  EXPECT_FALSE(win::fileExists(wallBmp()));
  EXPECT_EQ(get(kWallList, L"Rireki0"), L"<missing>");
}

TEST_F(MainWindowHostile, ACopyFromOneArchiveIsNotReusedForAnother) {
  // Both archives hold "a.bmp": 10 × 10 in the first, 20 × 20 in the second.
  const std::wstring first = testing::pictureDir() + L"same_a.zip";
  const std::wstring second = testing::pictureDir() + L"same_b.zip";
  registerSources({{first, false}, {second, false}});
  put(kWallList, L"TileOpt2", L"0");
  RunningProgram program(exe, L"/N");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  RemoteListView folders(GetDlgItem(window, main_ids::lvwMain));
  RemoteListView files(GetDlgItem(window, main_ids::lvwFile));
  folders.click(0);  // previews the first archive's a.bmp
  ASSERT_TRUE(waitUntil([&] { return files.count() == 1 && files.selected() == 0; }, kPatience));
  ASSERT_TRUE(waitUntil([&] { return win::fileExists(folder.path() + L"UnPakTmp\\a.bmp"); }, kPatience));
  folders.click(1);  // and now the second one's
  ASSERT_TRUE(waitUntil([&] { return folders.selected() == 1 && files.selected() == 0; }, kPatience));
  close(program, window);
  const auto written = decodeBmp(testing::readFileBytes(wallBmp()));
  ASSERT_TRUE(written.has_value());
  EXPECT_EQ(written->width, 20);
  EXPECT_EQ(written->at(0, 0), 0xFFFF00u);
  EXPECT_EQ(get(kWallList, L"Rireki0"), second + L"\\a.bmp");
}

TEST_F(MainWindowHostile, AMissingLibraryIsToldByTheWindowAndNeverAtLogon) {
  ASSERT_TRUE(DeleteFileW((folder.path() + L"unlha32.dll").c_str()));
  registerSources({{archive(L"pics.lzh"), true}});
  {
    RunningProgram logon(exe, L"/S");
    EXPECT_TRUE(logon.waitForExit(20000)) << "the logon run waits on the notice";
    EXPECT_FALSE(logon.hasVisibleWindow());
  }
  RunningProgram program(exe, L"/N");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  RemoteListView folders(GetDlgItem(window, main_ids::lvwMain));
  RemoteListView files(GetDlgItem(window, main_ids::lvwFile));
  EXPECT_EQ(folders.text(0, 1), L"LZH");
  folders.click(0);
  const auto box = program.waitForMessageBox(kPatience);
  ASSERT_TRUE(box.has_value()) << "the missing library was not told";
  EXPECT_EQ(box->title, res(IDS_APP_TITLE));
  EXPECT_EQ(box->text, L"DLLがありません。。（＾＾；；たぶん");
  EXPECT_NE(GetDlgItem(box->hwnd, IDOK), nullptr);
  EXPECT_EQ(GetDlgItem(box->hwnd, IDCANCEL), nullptr);
  ASSERT_TRUE(testing::answerOk(program, box->hwnd));
  EXPECT_EQ(files.count(), 0);
  close(program, window);
}

}  // namespace
}  // namespace rivano
