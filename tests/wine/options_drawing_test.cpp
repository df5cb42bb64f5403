// What the options dialog draws, read from its own drawing in this process:
// the dialog runs on a thread of the test, over an owner of its own, so
// that no other window, tool tip or pointer can get in the way.
#include <windows.h>
// needs windows.h first
#include <commctrl.h>

#include <gtest/gtest.h>

#include "app/program_state.h"
#include "platform/archiver_libraries.h"
#include "platform/file_system.h"
#include "platform/ole_picture.h"
#include "tests/unit/memory_registry.h"
#include "tests/wine/test_support.h"
#include "tests/wine/window_drawing.h"
#include "ui/options/frm_options.h"
#include "ui/options/options_ids.h"

namespace rivano {
namespace {

namespace ids = options_ids;
constexpr DWORD kPatience = 10000;

class NoDesktop final : public Desktop {
 public:
  void setWallpaper(const std::wstring&) override {}
};

// What the dialog works with, made before its thread starts: the screen at
// its real DPI, the settings in memory alone, and shrinking on at the given
// margin.
struct DialogParts {
  explicit DialogParts(int margin) {
    HDC screen = GetDC(nullptr);
    state.screen.twipsPerPixelX = 1440 / GetDeviceCaps(screen, LOGPIXELSX);
    state.screen.twipsPerPixelY = 1440 / GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    state.shrinkLarge = true;
    state.marginPercent = static_cast<std::int16_t>(margin);
  }
  // The dialog opens centred over its owner: an unseen window in the
  // middle of the screen, made and destroyed on the dialog's own thread.
  void run() {
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, w / 4, h / 4, w / 2, h / 2, nullptr, nullptr,
                                 nullptr, nullptr);
    FrmOptions(state, services, OptionsHost{}).showModal(owner);
    DestroyWindow(owner);
  }
  ProgramState state;
  testing::MemoryRegistry registry;
  win::ArchiverLibraries archivers;
  win::OlePictureLoader pictures{state.screen};
  win::BitmapFile bitmapFile;
  NoDesktop desktop;
  Services services{registry, registry, archivers, pictures, bitmapFile, desktop};
};

class DialogOnThread : private DialogParts, public testing::WindowOnThread {
 public:
  explicit DialogOnThread(int margin)
      : DialogParts(margin), WindowOnThread([this] { run(); }, L"RivanoOptions", kPatience) {}
  HWND dialog() const { return window(); }
  // A control anywhere in the dialog, in whichever frame it lies.
  HWND find(int id) const {
    return testing::controlInside(dialog(), id);
  }
  int tab() const { return static_cast<int>(SendMessageW(find(ids::tbsOptions), TCM_GETCURSEL, 0, 0)); }
};

// At the largest margin the label and the inner rectangle share the
// sketch: the outline must show whole, the label beside or inside it.
TEST(OptionsDrawing, TheInnerRectanglesOutlineShowsWholeAtTheLargestMargin) {
  DialogOnThread options(20);
  ASSERT_NE(options.dialog(), nullptr) << "the options dialog did not open";
  for (int step = 0; step < 3; ++step) testing::pressKeys(options.dialog(), {VK_CONTROL}, VK_TAB);
  ASSERT_TRUE(testing::waitUntil([&] { return options.tab() == 3; }, kPatience)) << "the fitting tab is not shown";
  RECT i{};
  GetWindowRect(options.find(ids::shpDspMag), &i);
  const auto outlineWhite = [&] {
    if (!testing::paintedAll(options.dialog())) return false;
    const testing::WindowDrawing drawing(options.dialog());
    const auto white = [&](LONG x, LONG y) { return drawing.at({x, y}) == RGB(255, 255, 255); };
    for (LONG x = i.left; x < i.right; ++x)
      if (!white(x, i.top) || !white(x, i.bottom - 1)) return false;
    for (LONG y = i.top; y < i.bottom; ++y)
      if (!white(i.left, y) || !white(i.right - 1, y)) return false;
    return true;
  };
  EXPECT_TRUE(testing::waitUntil(outlineWhite, kPatience)) << "part of the inner rectangle is hidden";
}

}  // namespace
}  // namespace rivano
