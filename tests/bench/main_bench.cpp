// Times the program's main job under Wine against baselines measured in the
// same run: a "/S" run over folders of 2,500 to 10,000 small pictures
// against a plain enumeration of the same folder, and a "/S" run on one
// 6000 × 4000 picture with shrinking on against decoding that picture alone.
// Not a test: it prints figures and ratios.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "engine/pixel_image.h"
#include "platform/ole_picture.h"
#include "platform/screen.h"
#include "platform/win32_registry.h"
#include "tests/wine/test_support.h"

namespace {

using rivano::RegRoot;
using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double silentRun(const std::wstring& exe) {
  const auto start = Clock::now();
  rivano::testing::RunningProgram program(exe, L"/S");
  if (!program.waitForExit(600000)) std::printf("  (the run did not end)\n");
  return secondsSince(start);
}

double enumerate(const std::wstring& folder) {
  const auto start = Clock::now();
  WIN32_FIND_DATAW data;
  int n = 0;
  HANDLE find = FindFirstFileW((folder + L"\\*.*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do ++n;
    while (FindNextFileW(find, &data));
    FindClose(find);
  }
  return secondsSince(start);
}

void registerSource(rivano::Registry& registry, const std::wstring& path, bool shrink) {
  const std::wstring key = L"Software\\Velmorat\\Rivano";
  registry.myRegDeleteKey(key);
  registry.myRegSetString(RegRoot::currentUser, key + L"\\WallList", L"Count", L"1");
  registry.myRegSetString(RegRoot::currentUser, key + L"\\WallList", L"List1", path);
  registry.myRegSetString(RegRoot::currentUser, key + L"\\Option", L"PicReSize", shrink ? L"1" : L"0");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::printf("usage: main_bench <path of a 6000 x 4000 JPEG>\n");
    return 2;
  }
  CoInitialize(nullptr);
  rivano::testing::TempFolder work(L"bench");
  const std::wstring exe = work.path() + L"Rivano.exe";
  CopyFileW((rivano::testing::binDir() + L"Rivano.exe").c_str(), exe.c_str(), FALSE);
  rivano::win::Win32Registry registry;

  std::printf("Picture list fill and /S run, folders of small pictures:\n");
  std::printf("%8s %12s %14s %8s %14s\n", "files", "/S run (s)", "enumerate (s)", "ratio", "per file (ms)");
  const std::wstring folder = work.path() + L"many";
  CreateDirectoryW(folder.c_str(), nullptr);
  const rivano::PixelImage tiny{4, 4, std::vector<std::uint32_t>(16, 0x336699)};
  const std::vector<std::uint8_t> bytes = rivano::encodeBmp24(tiny);
  int written = 0;
  for (int target : {1, 2500, 5000, 10000}) {
    for (; written < target; ++written)
      rivano::testing::writeFileBytes(folder + L"\\p" + std::to_wstring(written) + L".bmp", bytes);
    registerSource(registry, folder, false);
    enumerate(folder);  // warm the file system's cache for both
    const double baseline = enumerate(folder);
    const double run = silentRun(exe);
    std::printf("%8d %12.3f %14.4f %8.1f %14.4f\n", target, run, baseline, run / baseline,
                run * 1000.0 / target);
  }

  std::printf("\nOne 6000 x 4000 picture, shrinking on:\n");
  const std::wstring big = work.path() + L"big";
  CreateDirectoryW(big.c_str(), nullptr);
  CopyFileW(argv[1], (big + L"\\large.jpg").c_str(), FALSE);
  registerSource(registry, big, true);
  const auto decodeStart = Clock::now();
  rivano::win::OlePictureLoader loader(rivano::win::measureScreen());
  const rivano::PixelImage decoded = loader.load(big + L"\\large.jpg")->asLoaded();
  const double decode = secondsSince(decodeStart);
  const double run = silentRun(exe);
  std::printf("  decode alone %.3f s (%d x %d), /S run %.3f s, ratio %.2f\n", decode, decoded.width,
              decoded.height, run, run / decode);
  registry.myRegDeleteKey(L"Software\\Velmorat\\Rivano");
  return 0;
}
