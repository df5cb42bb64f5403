// Times the real Rivano.exe under Wine against baselines measured in the
// same run, and prints each figure beside its goal:
//   - "/S" over 10,000 small pictures against the floor (a program with the
//     same libraries that opens one window and ends) and against "/S" over
//     1,000 pictures;
//   - the window usable with 10,000 pictures listed, and a sort of them;
//   - "/S" on one 6000 x 4000 picture with shrinking on against decoding
//     that picture alone.
// Not a test: it prints figures, ratios and goals.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "platform/ole_picture.h"
#include "platform/screen.h"
#include "platform/win32_registry.h"
#include "tests/wine/test_support.h"
#include "ui/main/main_ids.h"

namespace {

using rivano::RegRoot;
using rivano::testing::RemoteListView;
using rivano::testing::RunningProgram;
using Clock = std::chrono::steady_clock;
constexpr int kTries = 5;

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double runToEnd(const std::wstring& exe, const std::wstring& arguments) {
  const auto start = Clock::now();
  RunningProgram program(exe, arguments);
  if (!program.waitForExit(600000)) std::printf("  (the run did not end)\n");
  return secondsSince(start);
}

double bestOf(const std::wstring& exe, const std::wstring& arguments) {
  double best = 1e9;
  for (int i = 0; i < kTries; ++i) best = std::min(best, runToEnd(exe, arguments));
  return best;
}

void registerSource(rivano::Registry& registry, const std::wstring& path, bool shrink) {
  const std::wstring key = L"Software\\Velmorat\\Rivano";
  registry.myRegDeleteKey(key);
  registry.myRegSetString(RegRoot::currentUser, key + L"\\WallList", L"Count", L"1");
  registry.myRegSetString(RegRoot::currentUser, key + L"\\WallList", L"List1", path);
  registry.myRegSetString(RegRoot::currentUser, key + L"\\Option", L"PicReSize", shrink ? L"1" : L"0");
}

void fillFolder(const std::wstring& folder, const std::wstring& picture, int count) {
  CreateDirectoryW(folder.c_str(), nullptr);
  for (int i = 0; i < count; ++i)
    CopyFileW(picture.c_str(), (folder + L"\\p" + std::to_wstring(i) + L".jpg").c_str(), FALSE);
}

void printRatio(const char* what, double value, double goal, const char* unit) {
  std::printf("  %-44s %8.3f%-2s goal <= %.2f%s  %s\n", what, value, unit, goal, unit,
              value <= goal ? "met" : "NOT MET");
}

struct WindowFigures {
  double usable = 0;  // start to a window that answers with every row listed
  double sort = 0;    // one sort of the rows, by the sort menu
  double reverse = 0;
};

WindowFigures openWindow(const std::wstring& exe, int rows) {
  WindowFigures f;
  const auto start = Clock::now();
  RunningProgram program(exe, L"");
  HWND window = program.waitForWindow(L"RivanoMain", 60000);
  if (!window) return f;
  HWND list = GetDlgItem(window, rivano::main_ids::lvwFile);
  RemoteListView files(list);
  rivano::testing::waitUntil([&] { return files.count() == rows; }, 60000);
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK, 60000, &answer);
  f.usable = secondsSince(start);
  auto timed = [&](int command) {
    const auto at = Clock::now();
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(command, 0), 0);
    UpdateWindow(list);
    return secondsSince(at);
  };
  f.sort = timed(rivano::main_ids::mnuSort0 + 2);
  f.reverse = timed(rivano::main_ids::mnuSortOrder1);
  timed(rivano::main_ids::mnuSort0);  // back to unsorted for the next start
  PostMessageW(window, WM_CLOSE, 0, 0);
  program.waitForExit(60000);
  return f;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::printf("usage: main_bench <6000 x 4000 JPEG> <small JPEG>\n");
    return 2;
  }
  CoInitialize(nullptr);
  rivano::testing::TempFolder work(L"bench");
  const std::wstring exe = work.path() + L"Rivano.exe";
  CopyFileW((rivano::testing::binDir() + L"Rivano.exe").c_str(), exe.c_str(), FALSE);
  const std::wstring floorExe = rivano::testing::binDir() + L"bench_floor.exe";
  rivano::win::Win32Registry registry;

  const double floor = bestOf(floorExe, L"");
  const std::wstring few = work.path() + L"few", many = work.path() + L"many";
  fillFolder(few, argv[2], 1000);
  fillFolder(many, argv[2], 10000);
  registerSource(registry, few, false);
  const double silentFew = bestOf(exe, L"/S");
  registerSource(registry, many, false);
  const double silentMany = bestOf(exe, L"/S");
  WindowFigures window{1e9, 1e9, 1e9};
  for (int i = 0; i < kTries; ++i) {
    const WindowFigures f = openWindow(exe, 10000);
    window.usable = std::min(window.usable, f.usable);
    window.sort = std::min(window.sort, f.sort);
    window.reverse = std::min(window.reverse, f.reverse);
  }

  std::printf("Small JPEGs, best of %d runs each:\n", kTries);
  std::printf("  floor (same libraries, one window)           %8.3f s\n", floor);
  std::printf("  /S over 1,000 pictures                       %8.3f s\n", silentFew);
  std::printf("  /S over 10,000 pictures                      %8.3f s\n", silentMany);
  printRatio("/S 10,000 / floor", silentMany / floor, 2.5, "x");
  printRatio("/S 10,000 / /S 1,000", silentMany / silentFew, 1.5, "x");
  printRatio("window usable with 10,000 listed", window.usable, 0.5, "s");
  printRatio("sort of 10,000 rows by size", window.sort, 0.1, "s");
  printRatio("the same in the other direction", window.reverse, 0.1, "s");

  std::printf("\nOne 6000 x 4000 picture, shrinking on:\n");
  const std::wstring big = work.path() + L"big";
  CreateDirectoryW(big.c_str(), nullptr);
  CopyFileW(argv[1], (big + L"\\large.jpg").c_str(), FALSE);
  registerSource(registry, big, true);
  const auto decodeStart = Clock::now();
  rivano::win::OlePictureLoader loader(rivano::win::measureScreen());
  const rivano::PixelImage decoded = loader.load(big + L"\\large.jpg")->asLoaded();
  const double decode = secondsSince(decodeStart);
  const double run = bestOf(exe, L"/S");
  std::printf("  decode alone %.3f s (%d x %d), /S run %.3f s, ratio %.2f\n", decode, decoded.width,
              decoded.height, run, run / decode);
  registry.myRegDeleteKey(L"Software\\Velmorat\\Rivano");
  return 0;
}
