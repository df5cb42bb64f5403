// The release package as a user runs it: unpacked (by release_unpack.sh)
// into "C:\Program Files\壁紙 Rivano", next to "C:\壁紙 素材" with one picture
// source of each kind. Nothing here comes from the build folder, so every
// library the program loads must come from the package.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <ole2.h>

#include <cstdlib>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "engine/pixel_image.h"
#include "platform/file_system.h"
#include "platform/shell_link.h"
#include "platform/win32_registry.h"
#include "tests/wine/test_support.h"
#include "ui/main/main_ids.h"
#include "ui/options/options_ids.h"

namespace rivano {
namespace {

using testing::RunningProgram;
using testing::waitUntil;

const std::wstring kInstall = L"C:\\Program Files\\壁紙 Rivano\\";
const std::wstring kProgram = kInstall + L"Rivano.exe";
const std::wstring kBitmap = kInstall + L"Rivano.bmp";
const std::wstring kSources = L"C:\\壁紙 素材\\";
const std::wstring kProgramKey = L"Software\\Velmorat\\Rivano";
const std::wstring kWallList = kProgramKey + L"\\WallList";
const std::wstring kOption = kProgramKey + L"\\Option";
const std::wstring kDesktop = L"Control Panel\\desktop";
constexpr DWORD kPatience = 30000;

// A registered source and the one picture it holds.
struct Source {
  const char* kind;
  const wchar_t* name;  // under kSources
  int width;
  int height;
  std::uint32_t colour;
  bool exact;  // false for JPEG, whose colour is only near
};

const std::vector<Source>& allSources() {
  static const std::vector<Source> sources = {
      {"DIR", L"フォルダ", 81, 41, 0xFF8000, true},
      {"LZH", L"lzh 書庫.lzh", 82, 42, 0x0000FF, false},
      {"ZIP", L"zip 書庫.zip", 83, 43, 0x00FF00, true},
      {"ARJ", L"arj 書庫.arj", 84, 44, 0xFF0000, true},
      {"TAR", L"tar 書庫.tar", 85, 45, 0xFFFF00, true},
      {"TGZ", L"tgz 書庫.tgz", 86, 46, 0x00FFFF, true},
      {"TAR.BZ2", L"tbz 書庫.tar.bz2", 87, 47, 0xFF00FF, true},
      {"BZ2", L"single.bmp.bz2", 88, 48, 0x808080, true},
      {"CAB", L"cab 書庫.cab", 89, 49, 0x800000, true},
      {"RAR", L"rar 書庫.rar", 90, 50, 0x008000, true},
  };
  return sources;
}

void PrintTo(const Source& s, std::ostream* os) { *os << s.kind; }

bool closeColour(std::uint32_t a, std::uint32_t b) {
  for (int shift = 0; shift < 24; shift += 8)
    if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > 24) return false;
  return true;
}

class Release : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(win::fileExists(kProgram)) << "the package is not unpacked (release_package runs first)";
    registry.deleteKey(kProgramKey);
    DeleteFileW(kBitmap.c_str());
    put(kDesktop, L"TileWallpaper", L"untouched");
    put(kDesktop, L"Wallpaper", L"untouched");
  }
  void TearDown() override { registry.deleteKey(kProgramKey); }

  void put(const std::wstring& key, const std::wstring& name, const std::wstring& data) {
    ASSERT_TRUE(registry.writeText(key, name, data));
  }
  std::wstring get(const std::wstring& key, const std::wstring& name) {
    return registry.readText(key, name, L"<missing>");
  }
  // Every source registered, in the list's order; only the chosen ones
  // checked; none tiled.
  void registerSources(const std::function<bool(const Source&)>& checked) {
    const auto& sources = allSources();
    put(kWallList, L"Count", std::to_wstring(sources.size()));
    for (std::size_t i = 0; i < sources.size(); ++i) {
      const std::wstring n = std::to_wstring(i + 1);
      put(kWallList, L"List" + n, kSources + sources[i].name);
      put(kWallList, L"LSelect" + n, checked(sources[i]) ? L"True" : L"False");
      put(kWallList, L"TileOpt" + n, L"0");
    }
  }
  // The silent logon run, from the unpacked folder.
  void logonRun(const std::wstring& exe = kProgram, const std::wstring& arguments = L"/S") {
    RunningProgram program(exe, arguments);
    ASSERT_TRUE(program.started());
    ASSERT_TRUE(program.waitForExit(kPatience)) << "the run did not end";
    EXPECT_FALSE(win::directoryExists(kInstall + L"UnPakTmp")) << "the extraction folder stayed";
  }
  // Which source the written bitmap came from, by its size; null if none.
  const Source* writtenFrom() {
    const auto written = decodeBmp(testing::readFileBytes(kBitmap));
    if (!written) {
      ADD_FAILURE() << "no bitmap in the unpacked folder";
      return nullptr;
    }
    for (const Source& s : allSources()) {
      if (written->width != s.width || written->height != s.height) continue;
      const std::uint32_t middle = written->at(s.width / 2, s.height / 2);
      if (s.exact) EXPECT_EQ(middle, s.colour) << s.kind;
      else EXPECT_TRUE(closeColour(middle, s.colour)) << s.kind << " " << std::hex << middle;
      return &s;
    }
    ADD_FAILURE() << "the bitmap is " << written->width << " x " << written->height << ", no source's picture";
    return nullptr;
  }
  void expectDesktopPointsAtTheBitmap(const wchar_t* tile) {
    EXPECT_EQ(get(kDesktop, L"Wallpaper"), kBitmap);
    EXPECT_EQ(get(kDesktop, L"TileWallpaper"), tile);
  }

  // The history's entry: the picture's path in its source, or its
  // extracted copy when the preview had not loaded it.
  void expectHistoryFrom(const Source& source) {
    const std::wstring applied = get(kWallList, L"Rireki0");
    const std::wstring inSource = kSources + source.name + L"\\";
    const std::wstring extracted = kInstall + L"UnPakTmp\\";
    EXPECT_TRUE(applied.starts_with(inSource) || applied.starts_with(extracted)) << testing::narrow(applied);
  }

  win::Win32Registry registry;
};

TEST_F(Release, LogonRunWithEverySourceCheckedMakesThePictureOfOneTheWallpaper) {
  registerSources([](const Source&) { return true; });
  logonRun();
  const Source* from = writtenFrom();
  ASSERT_NE(from, nullptr);
  expectDesktopPointsAtTheBitmap(L"0");
  expectHistoryFrom(*from);
  EXPECT_EQ(get(kProgramKey + L"\\WinPos", L"ListView"), L"0") << "the settings were not saved at the end";
}

// One run per kind, that source alone checked: its library is loaded from
// the unpacked folder and gives the picture.
class ReleaseSource : public Release, public ::testing::WithParamInterface<Source> {};

TEST_P(ReleaseSource, LogonRunTakesThePictureFromThatSourceAlone) {
  const Source& only = GetParam();
  registerSources([&](const Source& s) { return std::wstring(s.name) == only.name; });
  logonRun();
  const Source* from = writtenFrom();
  ASSERT_NE(from, nullptr);
  EXPECT_STREQ(from->kind, only.kind);
  expectDesktopPointsAtTheBitmap(L"0");
  expectHistoryFrom(only);
}

INSTANTIATE_TEST_SUITE_P(EveryKind, ReleaseSource, ::testing::ValuesIn(allSources()),
                         [](const ::testing::TestParamInfo<Source>& info) {
                           std::string name = info.param.kind;
                           for (char& c : name)
                             if (c == '.') c = '_';
                           return name;
                         });

TEST_F(Release, PictureGivenOnTheCommandLineBecomesTheWallpaperAtOnce) {
  // As the shell passes a dropped file whose path has a space: quoted.
  put(kOption, L"DragOpt", L"1");
  logonRun(kProgram, L"\"" + kSources + L"フォルダ\\夕焼け.bmp\"");
  const Source* from = writtenFrom();
  ASSERT_NE(from, nullptr);
  EXPECT_STREQ(from->kind, "DIR");
  EXPECT_EQ(get(kDesktop, L"TileWallpaper"), L"1");
  EXPECT_EQ(get(kWallList, L"Rireki0"), L"<missing>");
}

HWND control(HWND dialog, int id) {
  return testing::controlInside(dialog, id);
}

TEST_F(Release, StartupShortcutFromTheOptionsDialogRunsTheUnpackedProgramSilently) {
  ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
  struct ComSession {
    ~ComSession() { CoUninitialize(); }
  } com;
  const std::wstring startup = win::userFolder(win::UserFolder::startup);
  ASSERT_FALSE(startup.empty());
  const std::wstring linkPath = startup + L"\\Rivano.lnk";
  DeleteFileW(linkPath.c_str());
  registerSources([](const Source& s) { return std::string(s.kind) == "ZIP"; });
  {
    RunningProgram program(kProgram, L"/N");
    HWND window = program.waitForWindow(L"RivanoMain", kPatience);
    ASSERT_NE(window, nullptr) << "the main window did not open";
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(main_ids::mnuOpOption, 0), 0);
    HWND dialog = program.waitForWindow(L"RivanoOptions", kPatience);
    ASSERT_NE(dialog, nullptr) << "the options dialog did not open";
    // To the shortcuts tab, as the keyboard gets there.
    HWND tabs = control(dialog, options_ids::tbsOptions);
    for (int step = 0; step < 2; ++step) testing::pressKeys(dialog, {VK_CONTROL}, VK_TAB);
    ASSERT_TRUE(waitUntil([&] { return SendMessageW(tabs, TCM_GETCURSEL, 0, 0) == 2; }, kPatience));
    EXPECT_TRUE(testing::isButtonChecked(control(dialog, options_ids::startupWithoutWindowCheckBox)));
    PostMessageW(control(dialog, options_ids::startupShortcutButton), BM_CLICK, 0, 0);
    const auto box = program.waitForMessageBox(kPatience);
    ASSERT_TRUE(box.has_value()) << "no message after making the shortcut";
    EXPECT_EQ(box->text, testing::programString(kProgram, 118));
    ASSERT_TRUE(testing::answerOk(program, box->hwnd));
    PostMessageW(control(dialog, options_ids::cmdCancel), BM_CLICK, 0, 0);
    ASSERT_TRUE(waitUntil([&] { return !IsWindow(dialog); }, kPatience));
    // Closed without a picture chosen (/N): no wallpaper yet.
    testing::clickButton(GetDlgItem(window, main_ids::cmdEnd));
    ASSERT_TRUE(program.waitForExit(kPatience));
  }
  EXPECT_FALSE(win::fileExists(kBitmap));
  const auto link = win::readShellLink(linkPath);
  ASSERT_TRUE(link.has_value()) << "no Rivano.lnk in the Startup folder";
  EXPECT_EQ(link->target, kProgram);
  EXPECT_EQ(link->arguments, L"/S");
  EXPECT_EQ(link->workingFolder, kInstall.substr(0, kInstall.size() - 1));
  EXPECT_EQ(link->iconFile, kProgram);
  // What the logon does with it: the target with its arguments.
  logonRun(link->target, link->arguments.value_or(L""));
  const Source* from = writtenFrom();
  ASSERT_NE(from, nullptr);
  EXPECT_STREQ(from->kind, "ZIP");
  expectDesktopPointsAtTheBitmap(L"0");
  DeleteFileW(linkPath.c_str());
}

}  // namespace
}  // namespace rivano
