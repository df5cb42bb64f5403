// A RAR archive as a wallpaper source of the real program, in both header
// layouts: its pictures in the picture list with their columns, the preview's
// extraction, the change at exit and the silent run at logon.
#include "tests/wine/main_window_fixture.h"

namespace rivano {
namespace {

class RarSource : public MainWindow, public ::testing::WithParamInterface<const wchar_t*> {
 protected:
  std::wstring archive() const { return testing::pictureDir() + GetParam(); }
  std::wstring original() const { return testing::pictureDir() + L"zipsrc\\photos\\m.bmp"; }

  // The picture made the wallpaper: the 30 × 20 magenta member.
  void expectMemberApplied() {
    const auto written = decodeBmp(testing::readFileBytes(wallBmp()));
    ASSERT_TRUE(written.has_value());
    EXPECT_EQ(written->width, 30);
    EXPECT_EQ(written->height, 20);
    EXPECT_EQ(written->at(5, 5), 0xFF00FFu);
    EXPECT_EQ(get(kWallList, L"Rireki0"), archive() + L"\\photos\\m.bmp");
    EXPECT_EQ(get(L"Control Panel\\desktop", L"Wallpaper"), wallBmp());
    EXPECT_FALSE(win::directoryExists(folder.path() + L"UnPakTmp"));
  }
};

TEST_P(RarSource, PicturesAreListedWithTheirColumnsPreviewedAndAppliedAtExit) {
  registerSources({{archive(), true}});
  {
    RunningProgram program(exe, L"");
    HWND window = openWindow(program);
    ASSERT_NE(window, nullptr);
    RemoteListView folders(GetDlgItem(window, main_ids::lvwMain));
    EXPECT_EQ(folders.text(0, 1), L"RAR");
    RemoteListView files(GetDlgItem(window, main_ids::lvwFile));
    ASSERT_TRUE(waitUntil([&] { return files.count() == 1; }, kPatience));
    // The folder entry and the text file are no pictures.
    EXPECT_EQ(files.text(0), L"photos\\m.bmp");
    const std::wstring size = std::to_wstring(testing::readFileBytes(original()).size());
    EXPECT_EQ(files.text(0, 1), std::wstring(9 - size.size(), L' ') + size);
    EXPECT_EQ(files.text(0, 3), L"2001/12/25");
    EXPECT_EQ(files.text(0, 4), L"---a");
    // The preview extracted the member, byte for byte.
    const std::wstring extracted = folder.path() + L"UnPakTmp\\photos\\m.bmp";
    ASSERT_TRUE(waitUntil([&] { return win::fileExists(extracted); }, kPatience));
    EXPECT_EQ(testing::readFileBytes(extracted), testing::readFileBytes(original()));
    close(program, window);
  }
  expectMemberApplied();
}

TEST_P(RarSource, SilentRunMakesItsPictureTheWallpaper) {
  registerSources({{archive(), true}});
  RunningProgram program(exe, L"/S");
  ASSERT_TRUE(program.waitForExit(kPatience));
  expectMemberApplied();
}

INSTANTIATE_TEST_SUITE_P(BothLayouts, RarSource, ::testing::Values(L"pics.rar", L"pics5.rar"),
                         [](const ::testing::TestParamInfo<const wchar_t*>& info) {
                           return std::string(info.param == std::wstring(L"pics.rar") ? "rar4" : "rar5");
                         });

}  // namespace
}  // namespace rivano
