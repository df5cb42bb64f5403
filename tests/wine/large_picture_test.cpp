// Large JPEGs through the real program: shrunk for the wallpaper by our
// own decoder and filter, previewed, and JPEGs our decoder refuses still
// read, or refused, by the system's loader as before.
#include <cmath>
#include <optional>

#include "tests/wine/main_window_fixture.h"
#include "tests/wine/window_drawing.h"

namespace rivano {
namespace {

const std::wstring kOption = kProgramKey + L"\\Option";

bool closeTo(std::uint32_t pixel, std::uint32_t colour, int tolerance) {
  for (int s : {0, 8, 16})
    if (std::abs(static_cast<int>(pixel >> s & 0xFF) - static_cast<int>(colour >> s & 0xFF)) > tolerance)
      return false;
  return true;
}

// large_4000x3000.jpg: one-pixel black and white checks left of x = 1000,
// #C03020 right of it above y = 2000, #2050C0 below.
void expectLargePicture(const PixelImage& img) {
  const int w = img.width, h = img.height;
  // Every pixel of the checked column, borders aside, is the grey that
  // the checks make together; sampling a few of them gives bands instead.
  int outliers = 0;
  for (int y = h / 20; y < h - h / 20; ++y)
    for (int x = w / 40; x < w / 4 - w / 40; ++x)
      if (!closeTo(img.at(x, y), 0x808080, 24)) ++outliers;
  EXPECT_EQ(outliers, 0) << "the fine checks did not shrink to an even grey";
  EXPECT_TRUE(closeTo(img.at(w * 5 / 8, h / 3), 0xC03020, 16)) << std::hex << img.at(w * 5 / 8, h / 3);
  EXPECT_TRUE(closeTo(img.at(w * 5 / 8, h * 5 / 6), 0x2050C0, 16)) << std::hex << img.at(w * 5 / 8, h * 5 / 6);
}

std::wstring copyPicture(const std::wstring& name, const std::wstring& into) {
  const std::wstring path = into + L"\\" + name;
  EXPECT_TRUE(CopyFileW((testing::pictureDir() + name).c_str(), path.c_str(), FALSE));
  return path;
}

class LargePicture : public MainWindow {
 protected:
  // The fitted size of a 4000 × 3000 picture on this screen, margin 0.
  static std::pair<int, int> fitted() {
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    if (3000 * sw >= 4000 * sh) return {4000 * sh / 3000, sh};
    return {sw, 3000 * sw / 4000};
  }
  // The bitmap a logon run writes from a folder of this one picture, with
  // shrinking on and no margin.
  std::optional<PixelImage> shrunkAtLogon(const std::wstring& picture) {
    const std::wstring only = folder.path() + L"only";
    CreateDirectoryW(only.c_str(), nullptr);
    copyPicture(picture, only);
    registerSources({{only, true}});
    put(kOption, L"PicReSize", L"1");
    put(kOption, L"PicReMag", L"0");
    RunningProgram program(exe, L"/S");
    EXPECT_TRUE(program.waitForExit(kPatience * 2));
    return decodeBmp(testing::readFileBytes(wallBmp()));
  }
};

TEST_F(LargePicture, SilentRunShrinksALargeJpegToTheFittedSizeWithEveryDetailAveraged) {
  const auto written = shrunkAtLogon(L"large_4000x3000.jpg");
  ASSERT_TRUE(written.has_value());
  const auto [w, h] = fitted();
  EXPECT_NEAR(written->width, w, 1);
  EXPECT_NEAR(written->height, h, 1);
  expectLargePicture(*written);
  EXPECT_EQ(get(L"Control Panel\\desktop", L"Wallpaper"), wallBmp());
}

// A camera held upright stores the photograph on its side and says so in
// EXIF: the wallpaper shows it as taken, fitted by its upright size.
TEST_F(LargePicture, AnUprightPhotographBecomesAnUprightWallpaper) {
  const auto written = shrunkAtLogon(L"upright_1600x1200.jpg");
  ASSERT_TRUE(written.has_value());
  // 1200 × 1600 as shown, fitted to the screen's height.
  const int sh = GetSystemMetrics(SM_CYSCREEN);
  EXPECT_NEAR(written->height, sh, 1);
  EXPECT_NEAR(written->width, 1200 * sh / 1600, 1);
  EXPECT_TRUE(closeTo(written->at(written->width / 2, written->height / 4), 0xC03020, 16));
  EXPECT_TRUE(closeTo(written->at(written->width / 2, written->height * 3 / 4), 0x2050C0, 16));
}

// The click loads the picture for its preview alone; the change button and
// the change at close then make the wallpaper from the file, to the pixel
// what the logon run writes of the same picture.
TEST_F(LargePicture, PreviewShowsItAndTheChangeAtCloseWritesItShrunk) {
  copyPicture(L"large_4000x3000.jpg", pictures);
  registerSources({{pictures, false}});
  put(kOption, L"PicReSize", L"1");
  RunningProgram program(exe, L"");
  HWND window = openWindow(program);
  ASSERT_NE(window, nullptr);
  SetForegroundWindow(window);
  RemoteListView folders(GetDlgItem(window, main_ids::lvwMain));
  RemoteListView files(GetDlgItem(window, main_ids::lvwFile));
  folders.click(0);
  ASSERT_TRUE(waitUntil([&] { return files.count() == 4; }, kPatience));
  int row = 0;
  while (files.text(row) != L"large_4000x3000.jpg") ++row;
  files.click(row);
  HWND box = GetDlgItem(window, main_ids::picMain);
  // A little right of and above the centre, where the picture is red
  // however the box shapes it.
  // The program is another process: its drawing is read from the screen,
  // and only while nothing covers the spot (white when covered).
  auto shown = [&] {
    RECT r{};
    GetWindowRect(box, &r);
    const auto c = testing::uncoveredPixel(box, {(r.left + r.right) / 2 + (r.right - r.left) / 20,
                                                 (r.top + r.bottom) / 2 - (r.bottom - r.top) / 20});
    if (!c) return std::uint32_t{0xFFFFFF};
    return static_cast<std::uint32_t>(GetRValue(*c)) << 16 | GetGValue(*c) << 8 | GetBValue(*c);
  };
  EXPECT_TRUE(waitUntil([&] { return closeTo(shown(), 0xC03020, 16); }, kPatience)) << std::hex << shown();
  // The button's handler has written the bitmap once the click returns.
  testing::clickButton(GetDlgItem(window, main_ids::cmdChange));
  const auto changed = decodeBmp(testing::readFileBytes(wallBmp()));
  ASSERT_TRUE(DeleteFileW(wallBmp().c_str()));
  close(program, window);
  const auto written = decodeBmp(testing::readFileBytes(wallBmp()));
  ASSERT_TRUE(written.has_value());
  const auto [w, h] = fitted();
  EXPECT_NEAR(written->width, w, 1);
  EXPECT_NEAR(written->height, h, 1);
  expectLargePicture(*written);
  ASSERT_TRUE(changed.has_value());
  EXPECT_TRUE(changed->pixels == written->pixels);
  const auto atLogon = shrunkAtLogon(L"large_4000x3000.jpg");
  ASSERT_TRUE(atLogon.has_value());
  EXPECT_EQ(written->width, atLogon->width);
  EXPECT_TRUE(written->pixels == atLogon->pixels);
}

TEST_F(LargePicture, AJpegOurDecoderRefusesIsReadOrRefusedByTheSystemAsBefore) {
  // Arithmetic coding: the system's loader reads it, at its own size.
  {
    RunningProgram program(exe, copyPicture(L"arithmetic_200x100.jpg", folder.path()));
    ASSERT_TRUE(program.waitForExit(kPatience));
    const auto written = decodeBmp(testing::readFileBytes(wallBmp()));
    ASSERT_TRUE(written.has_value());
    EXPECT_EQ(written->width, 200);
    EXPECT_EQ(written->height, 100);
    EXPECT_TRUE(closeTo(written->at(100, 50), 0x3080E0, 8)) << std::hex << written->at(100, 50);
  }
  // Cut off in its headers: no loader reads it, and the box says 481.
  DeleteFileW(wallBmp().c_str());
  RunningProgram program(exe, copyPicture(L"cut_short.jpg", folder.path()));
  const auto box = program.waitForMessageBox(kPatience);
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->title, L"Rivano frmDropWork myCommandWall");
  EXPECT_NE(box->text.find(res(IDS_RUNTIME_ERROR) + L"481"), std::wstring::npos);
  testing::pressOk(box->hwnd);
  ASSERT_TRUE(program.waitForExit(kPatience));
  EXPECT_FALSE(win::fileExists(wallBmp()));
}

}  // namespace
}  // namespace rivano
