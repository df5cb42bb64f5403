// PNG pictures through the real program: a folder of them listed in the
// window and one applied from it, the logon run drawing one (shrunk into
// the screen when it is large), a damaged one refused with error 481.
#include <set>

#include "tests/unit/png_writer.h"
#include "tests/wine/main_window_fixture.h"

namespace rivano {
namespace {

class PngSource : public MainWindow {
 protected:
  void SetUp() override {
    MainWindow::SetUp();
    pngs = folder.path() + L"pngs";
    CreateDirectoryW(pngs.c_str(), nullptr);
    writePng(L"sea.png", 64, 48, 0x2060A0);
    writePng(L"SUN.PNG", 80, 40, 0xF0C020);
    testing::writeFileBytes(pngs + L"\\notes.txt", {'h', 'i'});
  }

  void writePng(const std::wstring& name, std::uint32_t w, std::uint32_t h, std::uint32_t colour) {
    testing::writeFileBytes(pngs + L"\\" + name, testing::rgbPng(w, h, [colour](std::uint32_t, std::uint32_t) {
                              return colour;
                            }));
  }

  std::wstring pngs;
};

TEST_F(PngSource, AFolderOfPngsIsListedAndTheOneClickedIsApplied) {
  registerSources({{pngs, true}});
  put(kWallList, L"TileOpt1", L"0");
  RunningProgram program(exe, L"");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  RemoteListView files(GetDlgItem(window, main_ids::lvwFile));
  ASSERT_TRUE(waitUntil([&] { return files.count() == 2; }, kPatience));
  std::set<std::wstring> names;
  int row = -1;
  for (int i = 0; i < files.count(); ++i) {
    names.insert(files.text(i));
    if (files.text(i) == L"sea.png") row = i;
  }
  EXPECT_EQ(names, (std::set<std::wstring>{L"sea.png", L"SUN.PNG"}));
  ASSERT_GE(row, 0);
  files.click(row);
  ASSERT_TRUE(waitUntil([&] { return files.selected() == row; }, kPatience));
  close(program, window);
  const auto written = decodeBmp(testing::readFileBytes(wallBmp()));
  ASSERT_TRUE(written.has_value());
  EXPECT_EQ(written->width, 64);
  EXPECT_EQ(written->height, 48);
  EXPECT_EQ(written->at(10, 10), 0x2060A0u);
  EXPECT_EQ(get(kWallList, L"Rireki0"), pngs + L"\\sea.png");
}

TEST_F(PngSource, TheLogonRunMakesOneTheWallpaper) {
  registerSources({{pngs, true}});
  RunningProgram program(exe, L"/S");
  ASSERT_TRUE(program.waitForExit(kPatience));
  const auto written = decodeBmp(testing::readFileBytes(wallBmp()));
  ASSERT_TRUE(written.has_value());
  const std::wstring applied = get(kWallList, L"Rireki0");
  ASSERT_TRUE(applied == pngs + L"\\sea.png" || applied == pngs + L"\\SUN.PNG") << testing::narrow(applied);
  const bool sea = applied.ends_with(L"sea.png");
  EXPECT_EQ(written->width, sea ? 64 : 80);
  EXPECT_EQ(written->at(5, 5), sea ? 0x2060A0u : 0xF0C020u);
  EXPECT_EQ(get(L"Control Panel\\desktop", L"Wallpaper"), wallBmp());
}

TEST_F(PngSource, ALargePngIsShrunkIntoTheScreenByTheLogonRun) {
  const std::wstring large = folder.path() + L"large";
  CreateDirectoryW(large.c_str(), nullptr);
  // Left half red, right half blue, far larger than the screen.
  testing::writeFileBytes(large + L"\\wide.png", testing::rgbPng(4000, 2000, [](std::uint32_t x, std::uint32_t) {
                            return x < 2000 ? 0xFF0000u : 0x0000FFu;
                          }));
  registerSources({{large, true}});
  put(kProgramKey + L"\\Option", L"PicReSize", L"1");
  RunningProgram program(exe, L"/S");
  ASSERT_TRUE(program.waitForExit(kPatience));
  const auto written = decodeBmp(testing::readFileBytes(wallBmp()));
  ASSERT_TRUE(written.has_value());
  EXPECT_LE(written->width, GetSystemMetrics(SM_CXVIRTUALSCREEN));
  EXPECT_LT(written->width, 4000);
  EXPECT_EQ(written->width, 2 * written->height);
  EXPECT_EQ(written->at(2, written->height / 2), 0xFF0000u);
  EXPECT_EQ(written->at(written->width - 3, written->height / 2), 0x0000FFu);
  EXPECT_EQ(get(kWallList, L"Rireki0"), large + L"\\wide.png");
}

TEST_F(PngSource, AnArchivesPngIsListedTakenOutAndApplied) {
  const std::wstring zip = testing::pictureDir() + L"pngs.zip";
  registerSources({{zip, true}});
  {
    RunningProgram program(exe, L"");
    HWND window = openWindow(program);
    ASSERT_NE(window, nullptr);
    RemoteListView files(GetDlgItem(window, main_ids::lvwFile));
    ASSERT_TRUE(waitUntil([&] { return files.count() == 1; }, kPatience));
    EXPECT_EQ(files.text(0), L"violet.png");  // the text member is no picture
    close(program, window);
  }
  const auto written = decodeBmp(testing::readFileBytes(wallBmp()));
  ASSERT_TRUE(written.has_value());
  EXPECT_EQ(written->width, 24);
  EXPECT_EQ(written->at(5, 5), 0x8040C0u);
  EXPECT_EQ(get(kWallList, L"Rireki0"), zip + L"\\violet.png");
}

}  // namespace
}  // namespace rivano
