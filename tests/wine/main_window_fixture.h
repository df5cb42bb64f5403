// The main window's test fixture: a copy of the program with the archiver
// libraries beside it, a folder of three small pictures, and helpers for
// the registry and for opening and closing the real window.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include "engine/pixel_image.h"
#include "platform/file_system.h"
#include "platform/win32_registry.h"
#include "tests/wine/program_settings.h"
#include "resources/resource_ids.h"
#include "tests/wine/test_support.h"
#include "ui/main/main_ids.h"

namespace rivano {
namespace {

using testing::RemoteListView;
using testing::RunningProgram;
using testing::TempFolder;
using testing::waitUntil;

using testing::kProgramKey;
using testing::kWallList;
constexpr DWORD kPatience = 30000;

PixelImage solid(std::int32_t w, std::int32_t h, std::uint32_t colour) {
  return {w, h, std::vector<std::uint32_t>(static_cast<std::size_t>(w) * h, colour)};
}

class MainWindow : public ::testing::Test, protected testing::ProgramSettings {
 protected:
  void SetUp() override {
    registry.deleteKey(kProgramKey);
    registry.writeSystemText(RegRoot::currentUser, L"Control Panel\\desktop", L"TileWallpaper", L"untouched");
    exe = folder.path() + L"Rivano.exe";
    ASSERT_TRUE(CopyFileW((testing::binDir() + L"Rivano.exe").c_str(), exe.c_str(), FALSE));
    // The archiver libraries beside the program, as an installation has them.
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((testing::binDir() + L"*.dll").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
      do CopyFileW((testing::binDir() + data.cFileName).c_str(), (folder.path() + data.cFileName).c_str(), FALSE);
      while (FindNextFileW(find, &data));
      FindClose(find);
    }
    pictures = folder.path() + L"pics";
    CreateDirectoryW(pictures.c_str(), nullptr);
    writePicture(L"a.bmp", solid(40, 30, 0xFF0000));
    writePicture(L"b.bmp", solid(50, 20, 0x00FF00));
    writePicture(L"c.bmp", solid(60, 10, 0x0000FF));
  }
  void TearDown() override { registry.deleteKey(kProgramKey); }

  void writePicture(const std::wstring& name, const PixelImage& image, const std::wstring& in = {}) {
    testing::writeFileBytes((in.empty() ? pictures : in) + L"\\" + name, encodeBmp24(image));
  }
  std::wstring wallBmp() const { return folder.path() + L"Rivano.bmp"; }
  std::wstring res(int id) const { return testing::programString(exe, id); }

  HWND openWindow(RunningProgram& program) {
    HWND window = program.waitForWindow(L"RivanoMain", kPatience);
    EXPECT_NE(window, nullptr) << "the main window did not open";
    return window;
  }
  void close(RunningProgram& program, HWND window) {
    testing::clickButton(GetDlgItem(window, main_ids::cmdEnd));
    EXPECT_TRUE(program.waitForExit(kPatience)) << "the window did not close";
  }

  TempFolder folder{L"mainwindow"};
  std::wstring exe;
  std::wstring pictures;
};

}  // namespace
}  // namespace rivano
