// The real program started with a picture path, as when a picture is
// dropped on its shortcut: the wallpaper file, the desktop values, and the
// error dialog, which the tests find, read and answer with OK.
#include <gtest/gtest.h>
#include <windows.h>

#include <zlib.h>

#include <memory>

#include "engine/pixel_image.h"
#include "platform/file_system.h"
#include "platform/win32_registry.h"
#include "resources/resource_ids.h"
#include "tests/unit/crafted_jpeg.h"
#include "tests/unit/png_writer.h"
#include "tests/wine/test_support.h"

namespace rivano {
namespace {

using testing::RunningProgram;
using testing::TempFolder;

const std::wstring kOptionKey = L"Software\\Velmorat\\Rivano\\Option";
const std::wstring kDesktopKey = L"Control Panel\\desktop";
constexpr DWORD kPatience = 30000;

PixelImage solid(std::int32_t w, std::int32_t h, std::uint32_t colour) {
  return {w, h, std::vector<std::uint32_t>(static_cast<std::size_t>(w) * h, colour)};
}

std::vector<std::wstring> lines(const std::wstring& text) {
  std::vector<std::wstring> out(1);
  for (wchar_t c : text) {
    if (c == L'\r') out.emplace_back();
    else out.back() += c;
  }
  return out;
}

class CommandLinePicture : public ::testing::Test {
 protected:
  void SetUp() override {
    registry.deleteKey(L"Software\\Velmorat\\Rivano");
    registry.writeSystemText(RegRoot::currentUser, kDesktopKey, L"TileWallpaper", L"untouched");
    exe = folder.path() + L"Rivano.exe";
    ASSERT_TRUE(CopyFileW((testing::binDir() + L"Rivano.exe").c_str(), exe.c_str(), FALSE));
  }
  void TearDown() override { registry.deleteKey(L"Software\\Velmorat\\Rivano"); }

  void option(const wchar_t* name, const wchar_t* text) {
    ASSERT_TRUE(registry.writeText(kOptionKey, name, text));
  }
  std::wstring desktop(const wchar_t* name) {
    return registry.readSystemText(RegRoot::currentUser, kDesktopKey, name, L"<missing>");
  }
  std::wstring picture(const wchar_t* name, const PixelImage& image) {
    const std::wstring path = folder.path() + name;
    testing::writeFileBytes(path, encodeBmp24(image));
    return path;
  }
  std::wstring wallBmp() const { return folder.path() + L"Rivano.bmp"; }
  std::wstring res(int id) const { return testing::programString(exe, id); }

  // Waits for the worker's error dialog, checks its lines and answers it.
  void answerErrorDialog(RunningProgram& program, int number, const std::vector<int>& advice) {
    const auto box = program.waitForMessageBox(kPatience);
    ASSERT_TRUE(box.has_value()) << "no error dialog";
    EXPECT_EQ(box->title, L"Rivano frmDropWork myCommandWall");
    const std::vector<std::wstring> seen = lines(box->text);
    ASSERT_EQ(seen.size(), 3 + advice.size()) << testing::narrow(box->text);
    EXPECT_EQ(seen[0], res(IDS_RUNTIME_ERROR) + std::to_wstring(number));
    EXPECT_EQ(seen[1], L" Source： Rivano");
    EXPECT_EQ(seen[2].front(), L'「');
    EXPECT_EQ(seen[2].back(), L'」');
    EXPECT_GT(seen[2].size(), 2u);  // a description between the brackets
    for (std::size_t i = 0; i < advice.size(); ++i) EXPECT_EQ(seen[3 + i], res(advice[i]));
    testing::pressOk(box->hwnd);
    ASSERT_TRUE(program.waitForExit(kPatience));
  }

  // Runs to the end and says whether a window was ever seen.
  void runSilently(const std::wstring& arguments) {
    RunningProgram program(exe, arguments);
    ASSERT_TRUE(program.started());
    ASSERT_TRUE(program.waitForExit(kPatience)) << "the program did not end by itself";
  }

  win::Win32Registry registry;
  TempFolder folder{L"dropwork"};
  std::wstring exe;
};

TEST_F(CommandLinePicture, NeverTiledPictureBecomesTheWallpaperAsItIs) {
  option(L"DragOpt", L"0");
  const PixelImage source = solid(40, 30, 0x3366CC);
  runSilently(picture(L"blue.bmp", source));
  const auto written = decodeBmp(testing::readFileBytes(wallBmp()));
  ASSERT_TRUE(written.has_value());
  EXPECT_EQ(written->width, 40);
  EXPECT_EQ(written->height, 30);
  EXPECT_EQ(written->pixels, source.pixels);
  EXPECT_EQ(desktop(L"TileWallpaper"), L"0");
  // The system call records the bitmap as the user's wallpaper.
  EXPECT_EQ(desktop(L"Wallpaper"), wallBmp());
  EXPECT_FALSE(win::fileExists(wallBmp() + L".partial"));
}

TEST_F(CommandLinePicture, AutomaticTilingByTheDropCounts) {
  // Unset drop settings mean automatic with 2 and 2: a small picture tiles.
  runSilently(picture(L"small.bmp", solid(100, 100, 0xFFFFFF)));
  EXPECT_EQ(desktop(L"TileWallpaper"), L"1");
  // 600 × 500 pixels: two copies exceed the screen both ways.
  runSilently(picture(L"large.bmp", solid(600, 500, 0)));
  EXPECT_EQ(desktop(L"TileWallpaper"), L"0");
  option(L"DragTate", L"1");  // one copy down is lower than the screen: tile
  runSilently(picture(L"large.bmp", solid(600, 500, 0)));
  EXPECT_EQ(desktop(L"TileWallpaper"), L"1");
  option(L"DragOpt", L"1");
  runSilently(picture(L"huge.bmp", solid(1200, 900, 0)));
  EXPECT_EQ(desktop(L"TileWallpaper"), L"1");
}

TEST_F(CommandLinePicture, LargePictureIsNeverShrunkHere) {
  ASSERT_TRUE(registry.writeText(L"Software\\Velmorat\\Rivano\\Option",
                                      L"PicReSize", L"1"));
  runSilently(picture(L"wide.bmp", solid(1500, 900, 0x808080)));
  const auto written = decodeBmp(testing::readFileBytes(wallBmp()));
  ASSERT_TRUE(written.has_value());
  EXPECT_EQ(written->width, 1500);
  EXPECT_EQ(written->height, 900);
}

TEST_F(CommandLinePicture, LeadingSpacesAndTheShellsQuotesAreNotPartOfThePath) {
  ASSERT_TRUE(CreateDirectoryW((folder.path() + L"my pictures").c_str(), nullptr));
  const std::wstring path = picture(L"my pictures\\Sky.BMP", solid(12, 10, 0x00FF00));
  runSilently(L"   " + path);
  EXPECT_EQ(decodeBmp(testing::readFileBytes(wallBmp()))->width, 12);
  DeleteFileW(wallBmp().c_str());
  runSilently(L"\"" + path + L"\"");
  EXPECT_EQ(decodeBmp(testing::readFileBytes(wallBmp()))->height, 10);
}

TEST_F(CommandLinePicture, ArgumentsThatAreNoPictureEndTheRunWithNothingChanged) {
  testing::writeFileBytes(folder.path() + L"readme.txt", {'h', 'i'});
  for (const std::wstring& arguments : {folder.path() + L"readme.txt", std::wstring(L"/S "),
                                        std::wstring(L"-S"), std::wstring(L"/X")}) {
    RunningProgram program(exe, arguments);
    ASSERT_TRUE(program.waitForExit(kPatience)) << arguments.c_str();
  }
  EXPECT_FALSE(win::fileExists(wallBmp()));
  EXPECT_EQ(desktop(L"TileWallpaper"), L"untouched");
}

TEST_F(CommandLinePicture, SilentSwitchInAnyCaseRunsWithoutAWindowAndEnds) {
  for (const wchar_t* arguments : {L"/S", L"  /s"}) {
    RunningProgram program(exe, arguments);
    ASSERT_TRUE(program.started());
    // Poll while it runs: no window of the program may ever show.
    bool seen = false;
    while (program.running()) {
      seen = seen || program.hasVisibleWindow();
      Sleep(20);
    }
    EXPECT_FALSE(seen) << arguments;
  }
}

struct Failure {
  const char* name;
  int number;
  std::vector<int> advice;
};

class CommandLineFailure : public CommandLinePicture,
                           public ::testing::WithParamInterface<Failure> {};

TEST_P(CommandLineFailure, ShowsTheErrorDialogAndWritesNothing) {
  const Failure& f = GetParam();
  std::wstring argument;
  if (f.number == 53) argument = folder.path() + L"gone.jpg";
  if (f.number == 76) argument = folder.path() + L"no folder\\gone.jpg";
  if (f.number == 481) {
    testing::writeFileBytes(folder.path() + L"fake.gif", {'n', 'o', 't', ' ', 'a', ' ', 'g', 'i', 'f'});
    argument = folder.path() + L"fake.gif";
  }
  if (f.number == 13) {
    option(L"DragTate", L"abc");
    argument = picture(L"ok.bmp", solid(10, 10, 0));
  }
  if (f.number == 6) {
    option(L"DragYoko", L"40000");
    argument = picture(L"ok.bmp", solid(10, 10, 0));
  }
  RunningProgram program(exe, argument);
  answerErrorDialog(program, f.number, f.advice);
  EXPECT_FALSE(win::fileExists(wallBmp()));
  EXPECT_EQ(desktop(L"TileWallpaper"), L"untouched");
}

INSTANTIATE_TEST_SUITE_P(
    ByErrorNumber, CommandLineFailure,
    ::testing::Values(Failure{"missing_file", 53, {IDS_ADVICE_PATH, IDS_ADVICE_CHECK_FILE}},
                      Failure{"missing_folder", 76, {IDS_ADVICE_CANNOT_READ, IDS_ADVICE_CHECK_FILE}},
                      Failure{"no_picture", 481, {IDS_ADVICE_BAD_PICTURE}},
                      Failure{"count_no_number", 13, {IDS_ADVICE_UNKNOWN, IDS_ADVICE_TELL_US}},
                      Failure{"count_too_large", 6, {IDS_ADVICE_UNKNOWN, IDS_ADVICE_TELL_US}}),
    [](const auto& info) { return std::string(info.param.name); });


// Three pixels across in RGBA: opaque red, transparent, half-transparent white.
std::vector<std::uint8_t> partlyTransparentPng() {
  const std::vector<std::uint8_t> rows = {0, 255, 0, 0, 255, 9, 9, 9, 0, 255, 255, 255, 128};
  uLongf size = compressBound(static_cast<uLong>(rows.size()));
  std::vector<std::uint8_t> compressed(size);
  compress(compressed.data(), &size, rows.data(), static_cast<uLong>(rows.size()));
  compressed.resize(size);
  return testing::pngFile(testing::pngHeader(3, 1, 8, 6), compressed);
}

TEST_F(CommandLinePicture, APngBecomesTheWallpaperItsTransparencyOverTheDesktopsColour) {
  option(L"DragOpt", L"0");
  const std::wstring path = folder.path() + L"glass.png";
  testing::writeFileBytes(path, partlyTransparentPng());
  runSilently(path);
  const auto written = decodeBmp(testing::readFileBytes(wallBmp()));
  ASSERT_TRUE(written.has_value());
  ASSERT_EQ(written->width, 3);
  ASSERT_EQ(written->height, 1);
  const COLORREF desk = GetSysColor(COLOR_BACKGROUND);
  const std::uint32_t r = GetRValue(desk), g = GetGValue(desk), b = GetBValue(desk);
  EXPECT_EQ(written->at(0, 0), 0xFF0000u);
  EXPECT_EQ(written->at(1, 0), r << 16 | g << 8 | b);
  auto half = [](std::uint32_t c) { return (255 * 128 + c * 127 + 127) / 255; };
  EXPECT_EQ(written->at(2, 0), half(r) << 16 | half(g) << 8 | half(b));
  EXPECT_EQ(desktop(L"Wallpaper"), wallBmp());
  EXPECT_EQ(desktop(L"TileWallpaper"), L"0");
}

TEST_F(CommandLinePicture, APngIsKnownByItsContentsAndADamagedOneIsABrokenPicture) {
  option(L"DragOpt", L"0");
  // A PNG under a JPEG's name is still read.
  const std::wstring renamed = folder.path() + L"photo.jpg";
  testing::writeFileBytes(renamed, testing::rgbPng(9, 7, [](std::uint32_t, std::uint32_t) { return 0x10E050u; }));
  runSilently(renamed);
  const auto written = decodeBmp(testing::readFileBytes(wallBmp()));
  ASSERT_TRUE(written.has_value());
  EXPECT_EQ(written->width, 9);
  EXPECT_EQ(written->at(4, 3), 0x10E050u);

  // One byte of the data changed: the CRC no longer matches.
  const std::vector<std::uint8_t> old = testing::readFileBytes(wallBmp());
  std::vector<std::uint8_t> damaged = testing::rgbPng(9, 7, [](std::uint32_t x, std::uint32_t) { return x; });
  damaged[45] ^= 0x01;
  const std::wstring path = folder.path() + L"damaged.png";
  testing::writeFileBytes(path, damaged);
  registry.writeSystemText(RegRoot::currentUser, kDesktopKey, L"TileWallpaper", L"untouched");
  RunningProgram program(exe, path);
  answerErrorDialog(program, 481, {IDS_ADVICE_BAD_PICTURE});
  EXPECT_EQ(testing::readFileBytes(wallBmp()), old);
  EXPECT_EQ(desktop(L"TileWallpaper"), L"untouched");
}

TEST_F(CommandLinePicture, APictureWithASideOfNothingIsABrokenPicture) {
  const std::vector<std::uint8_t> old = encodeBmp24(solid(4, 4, 0x00FF00));
  testing::writeFileBytes(wallBmp(), old);
  for (const wchar_t* name : {L"zero_width.bmp", L"zero_height.bmp", L"zero_width_image.gif"}) {
    SCOPED_TRACE(testing::narrow(name));
    RunningProgram program(exe, testing::pictureDir() + name);
    answerErrorDialog(program, 481, {IDS_ADVICE_BAD_PICTURE});
    EXPECT_EQ(testing::readFileBytes(wallBmp()), old);
    EXPECT_EQ(desktop(L"TileWallpaper"), L"untouched");
  }
}

TEST_F(CommandLinePicture, APictureThatFailsOnTheWayToTheFileLeavesTheDesktopValuesAlone) {
  option(L"DragOpt", L"1");
  // Far too large to draw: out of memory.
  {
    RunningProgram program(exe, testing::pictureDir() + L"huge.wmf");
    answerErrorDialog(program, 7, {IDS_ADVICE_UNKNOWN, IDS_ADVICE_TELL_US});
  }
  EXPECT_FALSE(win::fileExists(wallBmp()));
  EXPECT_EQ(desktop(L"TileWallpaper"), L"untouched");
  // The wallpaper file held by a program that shares nothing: permission
  // denied, and the old file stays as it was.
  const std::vector<std::uint8_t> old = encodeBmp24(solid(4, 4, 0x00FF00));
  testing::writeFileBytes(wallBmp(), old);
  {
    testing::FileHolder holder(wallBmp(), 0);
    ASSERT_TRUE(holder.open());
    RunningProgram program(exe, picture(L"new.bmp", solid(6, 6, 0xFF0000)));
    answerErrorDialog(program, 70, {IDS_ADVICE_UNKNOWN, IDS_ADVICE_TELL_US});
    EXPECT_EQ(holder.content(), old);
  }
  EXPECT_EQ(testing::readFileBytes(wallBmp()), old);
  EXPECT_EQ(desktop(L"TileWallpaper"), L"untouched");
}

TEST_F(CommandLinePicture, NeitherALeftoverNorAReaderOfTheWallpaperBlocksTheChange) {
  option(L"DragOpt", L"0");
  testing::writeFileBytes(wallBmp(), encodeBmp24(solid(50, 50, 0x00FF00)));
  // Half a file left by a run ended mid-write, read-only.
  const std::wstring partial = wallBmp() + L".partial";
  testing::writeFileBytes(partial, {'B', 'M'});
  ASSERT_TRUE(SetFileAttributesW(partial.c_str(), FILE_ATTRIBUTE_READONLY));
  const PixelImage first = solid(8, 6, 0x3366CC);
  runSilently(picture(L"first.bmp", first));
  EXPECT_EQ(decodeBmp(testing::readFileBytes(wallBmp()))->pixels, first.pixels);
  EXPECT_EQ(desktop(L"TileWallpaper"), L"0");
  EXPECT_FALSE(win::fileExists(partial));
  // A viewer holds the wallpaper open, sharing reading, writing and
  // deleting: it sees the new picture.
  testing::FileHolder holder(wallBmp(), FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
  ASSERT_TRUE(holder.open());
  const PixelImage second = solid(5, 3, 0xCC6633);
  runSilently(picture(L"second.bmp", second));
  EXPECT_EQ(holder.content(), encodeBmp24(second));
}

// A JPEG of a few hundred bytes claiming 32768 × 32768 CMYK pixels: the
// platform's loader would reserve the claimed size, or fault.
TEST_F(CommandLinePicture, AJpegClaimingAHugeSizeIsABrokenPictureNotACrash) {
  option(L"DragOpt", L"0");
  const std::vector<std::uint8_t> old = encodeBmp24(solid(4, 4, 0x00FF00));
  testing::writeFileBytes(wallBmp(), old);
  const std::wstring huge = folder.path() + L"huge.jpg";
  testing::writeFileBytes(huge, testing::craftedJpeg(32768, 32768, 4));
  RunningProgram program(exe, huge);
  const auto box = program.waitForMessageBox(kPatience);
  ASSERT_TRUE(box.has_value()) << "no error dialog";
  // Refused from its header: nothing near the claimed size was reserved.
  const std::size_t peak = program.peakPrivateBytes();
  EXPECT_GT(peak, 0u);
  EXPECT_LT(peak, std::size_t{128} << 20) << peak;
  answerErrorDialog(program, 481, {IDS_ADVICE_BAD_PICTURE});
  EXPECT_EQ(program.exitCode(), 0u);
  EXPECT_EQ(testing::readFileBytes(wallBmp()), old);
  EXPECT_EQ(desktop(L"TileWallpaper"), L"untouched");
}

// The logon run draws the same file from a folder: it ends cleanly, with
// the settings saved and the wallpaper left as it was.
TEST_F(CommandLinePicture, TheLogonRunSurvivesAJpegClaimingAHugeSize) {
  const std::wstring pictures = folder.path() + L"pictures";
  ASSERT_TRUE(CreateDirectoryW(pictures.c_str(), nullptr));
  testing::writeFileBytes(pictures + L"\\huge.jpg", testing::craftedJpeg(32768, 32768, 4));
  const std::wstring wallList = L"Software\\Velmorat\\Rivano\\WallList";
  ASSERT_TRUE(registry.writeText(wallList, L"Count", L"1"));
  ASSERT_TRUE(registry.writeText(wallList, L"List1", pictures));
  ASSERT_TRUE(registry.writeText(wallList, L"LSelect1", L"True"));
  RunningProgram program(exe, L"/S");
  ASSERT_TRUE(program.waitForExit(kPatience));
  EXPECT_EQ(program.exitCode(), 0u);
  EXPECT_FALSE(win::fileExists(wallBmp()));
  EXPECT_EQ(desktop(L"TileWallpaper"), L"untouched");
  // Saved on the way out, which a run that died would not have reached.
  EXPECT_EQ(registry.readText(wallList, L"Count", L""), L"1");
  EXPECT_NE(registry.readText(L"Software\\Velmorat\\Rivano\\WinPos", L"Left",
                                    L"<missing>"),
            L"<missing>");
}

// A run killed while it wrote the bitmap leaves its half beside the
// program; whatever way the program starts next, it clears it.
TEST_F(CommandLinePicture, EveryKindOfStartClearsAHalfWrittenBitmap) {
  const std::wstring partial = wallBmp() + L".partial";
  auto leaveHalf = [&] {
    testing::writeFileBytes(partial, std::vector<std::uint8_t>(1 << 20, 0x42));
    ASSERT_TRUE(SetFileAttributesW(partial.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
  };
  // The logon run, with no source to draw from: nothing is written at all.
  leaveHalf();
  runSilently(L"/S");
  EXPECT_FALSE(win::fileExists(partial));
  EXPECT_FALSE(win::fileExists(wallBmp()));
  // A command-line argument that is no picture.
  leaveHalf();
  testing::writeFileBytes(folder.path() + L"readme.txt", {'h', 'i'});
  runSilently(folder.path() + L"readme.txt");
  EXPECT_FALSE(win::fileExists(partial));
  // The window, before it is closed.
  leaveHalf();
  RunningProgram program(exe, L"/N");
  ASSERT_TRUE(program.waitForWindow(nullptr, kPatience) != nullptr);
  EXPECT_FALSE(win::fileExists(partial));
}

TEST_F(CommandLinePicture, AdviceTextsAreTheProgramsOwn) {
  EXPECT_EQ(res(IDS_ADVICE_BAD_PICTURE), L"ピクチャがおかしいです（＾＾；");
  EXPECT_EQ(res(IDS_ADVICE_CHECK_FILE), L"指定したファイルを再度確認して下さい _（；；）_ ");
  EXPECT_EQ(res(IDS_RUNTIME_ERROR), L"実行エラー： ");
}

TEST_F(CommandLinePicture, ASecondCopyIsRefusedAndTheFirstGoesOn) {
  RunningProgram first(exe, L"/N");
  HWND window = first.waitForWindow(L"RivanoMain", kPatience);
  ASSERT_NE(window, nullptr) << "the main window did not open";
  RunningProgram second(exe, picture(L"x.bmp", solid(5, 5, 0)));
  const auto box = second.waitForMessageBox(kPatience);
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->title, L"Rivano");
  EXPECT_EQ(box->text, L"（＾＾；複数の起動は出来ません");
  testing::pressOk(box->hwnd);
  EXPECT_TRUE(second.waitForExit(kPatience));
  EXPECT_FALSE(win::fileExists(wallBmp()));  // the second copy did nothing else
  EXPECT_TRUE(first.running());
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(first.waitForExit(kPatience));
}

TEST_F(CommandLinePicture, ARefusedCopyStillShowingItsBoxDoesNotKeepTheNextOneOut) {
  option(L"DragOpt", L"0");
  auto first = std::make_unique<RunningProgram>(exe, L"/N");
  HWND window = first->waitForWindow(L"RivanoMain", kPatience);
  ASSERT_NE(window, nullptr) << "the main window did not open";
  RunningProgram second(exe, picture(L"x.bmp", solid(5, 5, 0)));
  const auto box = second.waitForMessageBox(kPatience);
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->text, L"（＾＾；複数の起動は出来ません");
  PostMessageW(window, WM_CLOSE, 0, 0);
  ASSERT_TRUE(first->waitForExit(kPatience));
  first.reset();
  // Nothing runs now but the refused copy's box: a new start goes ahead.
  const PixelImage image = solid(7, 9, 0x123456);
  RunningProgram third(exe, picture(L"y.bmp", image));
  ASSERT_TRUE(third.waitForExit(kPatience)) << "the third copy did not end by itself";
  const auto written = decodeBmp(testing::readFileBytes(wallBmp()));
  ASSERT_TRUE(written.has_value()) << "the third copy was refused";
  EXPECT_EQ(written->pixels, image.pixels);
  EXPECT_TRUE(second.running());
  testing::pressOk(box->hwnd);
  EXPECT_TRUE(second.waitForExit(kPatience));
}

}  // namespace
}  // namespace rivano
