// Times the real Rivano.exe under Wine against baselines measured in the
// same run, and prints each figure beside its goal:
//   - "/S" over 10,000 small pictures against the floor (a program with the
//     same libraries that opens one window and ends) and against "/S" over
//     1,000 pictures;
//   - the window usable with 10,000 pictures listed, and a sort of them;
//   - one 6000 x 4000 JPEG: "/S" with shrinking on against feh setting it
//     as the X background natively (timed by the script), the peak memory
//     of that "/S" (measured by the script), a click that previews it in
//     the window, and the picture applied unshrunk from the command line;
//   - 24-megapixel photographs: "/S" against feh plus the floor, and the
//     click to the preview of a baseline and a progressive one.
// Not a test: it prints figures, ratios and goals.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "engine/pixel_image.h"
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

void registerSource(rivano::SettingsRegistry& registry, const std::wstring& path, bool shrink) {
  const std::wstring key = L"Software\\Velmorat\\Rivano";
  registry.deleteKey(key);
  registry.writeText(key + L"\\WallList", L"Count", L"1");
  registry.writeText(key + L"\\WallList", L"List1", path);
  registry.writeText(key + L"\\Option", L"PicReSize", shrink ? L"1" : L"0");
}

// Ten sources of `count` pictures each; the even draw on or off.
void registerSources(rivano::SettingsRegistry& registry, const std::vector<std::wstring>& paths, bool evenly) {
  const std::wstring key = L"Software\\Velmorat\\Rivano";
  registry.deleteKey(key);
  registry.writeText(key + L"\\WallList", L"Count", std::to_wstring(paths.size()));
  for (std::size_t i = 0; i < paths.size(); ++i)
    registry.writeText(key + L"\\WallList", L"List" + std::to_wstring(i + 1), paths[i]);
  registry.writeText(key + L"\\Option", L"DrawEvenly", evenly ? L"1" : L"0");
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

// The centre of the preview box on the screen.
COLORREF previewCentre(HWND box) {
  RECT r{};
  GetWindowRect(box, &r);
  HDC screen = GetDC(nullptr);
  const COLORREF c = GetPixel(screen, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
  ReleaseDC(nullptr, screen);
  return c;
}

// The middle of the benchmark's gradient, #203060 at the top to #E0C080.
bool showsGradientMiddle(COLORREF c) {
  return std::abs(GetRValue(c) - 128) < 24 && std::abs(GetGValue(c) - 120) < 24 && std::abs(GetBValue(c) - 112) < 24;
}

// From the click on a picture of the preview folder (`rows` pictures) to
// its preview on the screen, best of five; the small magenta picture is
// clicked in between, so that every click loads its picture anew.
double previewClick(const std::wstring& exe, const std::wstring& name, int rows) {
  RunningProgram program(exe, L"/N");
  HWND window = program.waitForWindow(L"RivanoMain", 60000);
  if (!window) return 1e9;
  SetForegroundWindow(window);
  RemoteListView folders(GetDlgItem(window, rivano::main_ids::lvwMain));
  RemoteListView files(GetDlgItem(window, rivano::main_ids::lvwFile));
  HWND box = GetDlgItem(window, rivano::main_ids::picMain);
  folders.click(0);
  rivano::testing::waitUntil([&] { return files.count() == rows; }, 60000);
  int picture = -1, small = -1;
  for (int i = 0; i < rows; ++i) {
    const std::wstring text = files.text(i);
    if (text == name) picture = i;
    if (text == L"small.bmp") small = i;
  }
  if (picture < 0 || small < 0) return 1e9;
  double best = 1e9;
  for (int i = 0; i < kTries; ++i) {
    files.click(small);
    rivano::testing::waitUntil([&] { return previewCentre(box) == RGB(255, 0, 255); }, 60000);
    const auto start = Clock::now();
    files.click(picture);
    if (rivano::testing::waitUntil([&] { return showsGradientMiddle(previewCentre(box)); }, 60000))
      best = std::min(best, secondsSince(start));
  }
  PostMessageW(window, WM_CLOSE, 0, 0);
  program.waitForExit(60000);
  return best;
}

// "/S" with shrinking on, and the command-line path, which applies the
// picture at its own size.
struct LargeFigures {
  double silent = 0;
  double commandLine = 0;
  double preview = 0;
};

int previewRows(const std::wstring& folder) {
  int rows = 0;
  WIN32_FIND_DATAW found{};
  HANDLE find = FindFirstFileW((folder + L"\\*.*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return 0;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++rows;
  } while (FindNextFileW(find, &found));
  FindClose(find);
  return rows;
}

std::wstring environment(const wchar_t* name) {
  wchar_t value[1024] = {};
  const DWORD length = GetEnvironmentVariableW(name, value, 1024);
  return length > 0 && length < 1024 ? std::wstring(value, length) : std::wstring();
}

LargeFigures largeJpeg(rivano::SettingsRegistry& registry, const std::wstring& exe, const std::wstring& big,
                       const std::wstring& previewFolder) {
  LargeFigures f;
  registerSource(registry, big, true);
  f.silent = bestOf(exe, L"/S");
  f.commandLine = bestOf(exe, L"\"" + big + L"\\large.jpg\"");
  registerSource(registry, previewFolder, true);
  f.preview = previewClick(exe, L"large.jpg", previewRows(previewFolder));
  return f;
}

// The command-line path over the floor before our own decoder came in:
// 2.650 s against a floor of 0.474 s, measured by this benchmark on the
// program of then. With RIVANO_BASELINE_EXE the script measures the old
// program itself instead.
constexpr double kCommandLineRatioBefore = 5.59;

// 24-megapixel photographs (the script makes them, baseline and
// progressive, and times feh on the baseline one): "/S" with shrinking on
// against feh plus the floor, Wine's own start-up, which feh does without;
// the click to the preview of each.
void photographs(rivano::SettingsRegistry& registry, const std::wstring& exe, double floor, const std::wstring& previewFolder,
                 const wchar_t* label) {
  const std::wstring baseline = environment(L"RIVANO_BENCH_PHOTO");
  const std::wstring progressive = environment(L"RIVANO_BENCH_PHOTO_PROGRESSIVE");
  const double feh = _wtof(environment(L"RIVANO_BENCH_PHOTO_FEH").c_str());
  if (baseline.empty() || progressive.empty() || feh <= 0) return;
  const std::wstring folder = previewFolder + L"-photo";
  CreateDirectoryW(folder.c_str(), nullptr);
  CopyFileW(baseline.c_str(), (folder + L"\\photo.jpg").c_str(), FALSE);
  registerSource(registry, folder, true);
  const double silent = bestOf(exe, L"/S");
  CopyFileW(baseline.c_str(), (previewFolder + L"\\photo.jpg").c_str(), FALSE);
  CopyFileW(progressive.c_str(), (previewFolder + L"\\photo-progressive.jpg").c_str(), FALSE);
  registerSource(registry, previewFolder, true);
  const int rows = previewRows(previewFolder);
  const double previewBaseline = previewClick(exe, L"photo.jpg", rows);
  const double previewProgressive = previewClick(exe, L"photo-progressive.jpg", rows);
  std::printf("\nA 6000 x 4000 photograph, best of %d runs each (%ls):\n", kTries, label);
  std::printf("  feh --bg-fill (native)                       %8.3f s\n", feh);
  std::printf("  /S, shrinking on                             %8.3f s\n", silent);
  printRatio("/S / (feh --bg-fill + floor)", silent / (feh + floor), 1.0, "x");
  printRatio("click to preview drawn, baseline", previewBaseline, 0.1, "s");
  printRatio("click to preview drawn, progressive", previewProgressive, 0.1, "s");
}

// The "click to preview" rows of the photographs alone, for this program
// and the one given as the baseline: quick to repeat while working on the
// preview. Nothing else is timed.
void photographPreviewsOnly(rivano::SettingsRegistry& registry, const std::wstring& work, const std::wstring& exe,
                            const std::wstring& before) {
  const std::wstring baseline = environment(L"RIVANO_BENCH_PHOTO");
  const std::wstring progressive = environment(L"RIVANO_BENCH_PHOTO_PROGRESSIVE");
  if (baseline.empty() || progressive.empty()) return;
  const std::wstring previewFolder = work + L"preview";
  CreateDirectoryW(previewFolder.c_str(), nullptr);
  rivano::testing::writeFileBytes(
      previewFolder + L"\\small.bmp",
      rivano::encodeBmp24({64, 48, std::vector<std::uint32_t>(64 * 48, 0xFF00FF)}));
  CopyFileW(baseline.c_str(), (previewFolder + L"\\photo.jpg").c_str(), FALSE);
  CopyFileW(progressive.c_str(), (previewFolder + L"\\photo-progressive.jpg").c_str(), FALSE);
  registerSource(registry, previewFolder, true);
  const int rows = previewRows(previewFolder);
  for (const std::wstring& program : {exe, before}) {
    if (program.empty()) continue;
    std::printf("\nA 6000 x 4000 photograph, best of %d runs each (%ls):\n", kTries, program.c_str());
    printRatio("click to preview drawn, baseline", previewClick(program, L"photo.jpg", rows), 0.1, "s");
    printRatio("click to preview drawn, progressive", previewClick(program, L"photo-progressive.jpg", rows), 0.1,
               "s");
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 5) {
    std::printf("usage: main_bench <6000 x 4000 JPEG> <small JPEG> <feh seconds> <peak KiB of /S>"
                " [<baseline Rivano.exe> <its peak KiB>]\n");
    return 2;
  }
  const double feh = _wtof(argv[3]);
  const double peakMiB = _wtof(argv[4]) / 1024.0;
  CoInitialize(nullptr);
  rivano::testing::TempFolder work(L"bench");
  const std::wstring exe = work.path() + L"Rivano.exe";
  CopyFileW((rivano::testing::binDir() + L"Rivano.exe").c_str(), exe.c_str(), FALSE);
  const std::wstring floorExe = rivano::testing::binDir() + L"bench_floor.exe";
  rivano::win::Win32Registry registry;
  if (!environment(L"RIVANO_BENCH_PREVIEW_ONLY").empty()) {
    std::wstring before;
    if (argc >= 7) {
      before = work.path() + L"before.exe";
      CopyFileW(argv[5], before.c_str(), FALSE);
    }
    photographPreviewsOnly(registry, work.path(), exe, before);
    registry.deleteKey(L"Software\\Velmorat\\Rivano");
    return 0;
  }

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

  // The even draw lists every source; the two-stage draw lists one. The
  // pictures are links to the 10,000 of `many`, ten to each (a file takes
  // only so many links): the folders' names are what is read.
  std::vector<std::wstring> sources;
  for (int i = 0; i < 10; ++i) {
    const std::wstring folder = work.path() + L"source" + std::to_wstring(i);
    CreateDirectoryW(folder.c_str(), nullptr);
    for (int n = 0; n < 10000; ++n) {
      const std::wstring name = folder + L"\\p" + std::to_wstring(n) + L".jpg";
      const std::wstring target = many + L"\\p" + std::to_wstring(n) + L".jpg";
      if (!CreateHardLinkW(name.c_str(), target.c_str(), nullptr)) CopyFileW(target.c_str(), name.c_str(), FALSE);
    }
    sources.push_back(folder);
  }
  registerSources(registry, sources, false);
  const double twoStage = bestOf(exe, L"/S");
  registerSources(registry, sources, true);
  const double evenly = bestOf(exe, L"/S");
  std::printf("\nTen sources of 10,000 small JPEGs, best of %d runs each:\n", kTries);
  std::printf("  /S, a source drawn first                     %8.3f s\n", twoStage);
  std::printf("  /S, every picture equally likely             %8.3f s\n", evenly);
  printRatio("/S evenly / /S a source first", evenly / twoStage, 2.0, "x");

  const std::wstring big = work.path() + L"big", previewFolder = work.path() + L"preview";
  CreateDirectoryW(big.c_str(), nullptr);
  CreateDirectoryW(previewFolder.c_str(), nullptr);
  CopyFileW(argv[1], (big + L"\\large.jpg").c_str(), FALSE);
  CopyFileW(argv[1], (previewFolder + L"\\large.jpg").c_str(), FALSE);
  rivano::testing::writeFileBytes(
      previewFolder + L"\\small.bmp",
      rivano::encodeBmp24({64, 48, std::vector<std::uint32_t>(64 * 48, 0xFF00FF)}));
  const LargeFigures now = largeJpeg(registry, exe, big, previewFolder);
  std::printf("\nOne 6000 x 4000 JPEG, best of %d runs each:\n", kTries);
  std::printf("  feh --bg-fill (native)                       %8.3f s\n", feh);
  std::printf("  /S, shrinking on                             %8.3f s\n", now.silent);
  std::printf("  command line (applied at its own size)       %8.3f s\n", now.commandLine);
  printRatio("/S / feh --bg-fill", now.silent / feh, 1.0, "x");
  printRatio("peak memory of that /S", peakMiB, 64, "MiB");
  printRatio("click to preview drawn", now.preview, 0.15, "s");
  if (argc >= 7) {
    const std::wstring before = work.path() + L"before.exe";
    CopyFileW(argv[5], before.c_str(), FALSE);
    const LargeFigures then = largeJpeg(registry, before, big, previewFolder);
    std::printf("  the same with %ls:\n", argv[5]);
    std::printf("    /S %.3f s (%.2f x feh), peak %.0f MiB, preview click %.3f s, command line %.3f s\n",
                then.silent, then.silent / feh, _wtof(argv[6]) / 1024.0, then.preview, then.commandLine);
    printRatio("command line / before", now.commandLine / then.commandLine, 1.0, "x");
  } else {
    printRatio("command line / floor (before: that ratio)", now.commandLine / floor, kCommandLineRatioBefore, "x");
  }
  photographs(registry, exe, floor, previewFolder, L"this program");
  if (argc >= 7) photographs(registry, work.path() + L"before.exe", floor, previewFolder, argv[5]);
  registry.deleteKey(L"Software\\Velmorat\\Rivano");
  return 0;
}
