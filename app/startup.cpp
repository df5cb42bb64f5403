#include "app/startup.h"

#include <windows.h>
// needs windows.h first
#include <commctrl.h>
#include <objbase.h>

#include <future>

#include "app/command_line.h"
#include "app/program_paths.h"
#include "app/program_state.h"
#include "app/silent_run.h"
#include "platform/archiver_libraries.h"
#include "platform/cursor.h"
#include "platform/data_folder.h"
#include "platform/desktop.h"
#include "platform/file_system.h"
#include "platform/message_box.h"
#include "platform/ole_picture.h"
#include "platform/screen.h"
#include "platform/single_instance.h"
#include "platform/string_table.h"
#include "platform/system_libraries.h"
#include "platform/win32_registry.h"
#include "resources/resource_ids.h"
#include "ui/dropwork/frm_drop_work.h"
#include "ui/main/frm_main.h"

namespace rivano {
namespace {

// COM for the picture loader and, later, the shell and drag and drop.
class OleSession {
 public:
  OleSession() : ok_(SUCCEEDED(OleInitialize(nullptr))) {}
  ~OleSession() {
    if (ok_) OleUninitialize();
  }
  OleSession(const OleSession&) = delete;
  OleSession& operator=(const OleSession&) = delete;

 private:
  bool ok_;
};

int messageLoop(FrmMain& main) {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (main.routeMessage(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}

void takeScreen(ProgramState& state, const ScreenMetrics& screen) { state.screen = screen; }

// The logon run measures the screen on a thread of its own while it draws
// the picture from the settings: under Wine the first call that needs the
// display takes about as long as all the rest of the run.
int runAtLogon(ProgramState& state) {
  std::future<ScreenMetrics> screen = std::async(std::launch::async, &win::measureScreen);
  win::Win32Registry registry;
  win::ArchiverLibraries archivers;
  RandomPick random;
  SilentRun run(state, registry, registry, archivers, random);
  run.draw();
  takeScreen(state, screen.get());
  win::OlePictureLoader pictures(state.screen);
  win::BitmapFile bitmapFile;
  win::SystemDesktop desktop;
  run.finish(pictures, bitmapFile, desktop);
  return 0;
}

}  // namespace

int runProgram() {
  // Before anything can load a library by name on the program's behalf.
  win::limitLibrarySearchToSystemFolder();
  const std::wstring arguments = argumentText(GetCommandLineW());
  const RunKind kind = dispatchKind(preparedCommandLine(arguments));
  win::SingleInstance instance(L"Local\\Velmorat.Rivano.Running");
  if (instance.anotherIsRunning()) {
    // The logon run ends quietly: a box there would wait for nobody.
    if (kind != RunKind::silent)
      win::showMessage(nullptr, win::loadString(IDS_SECOND_INSTANCE), MB_OK | MB_ICONINFORMATION);
    return 0;
  }
  ProgramState state;
  state.appFolder = appPathFromModule(win::modulePath());
  if (kind == RunKind::nothing) {
    // A run with nothing to do writes nothing, not even the probe that
    // finds the bitmap's folder; a half-written bitmap goes from either.
    win::removeLeftoverCompanion(state.appFolder + L"Rivano.bmp");
    const std::wstring local = win::localAppDataFolder();
    if (!local.empty()) win::removeLeftoverCompanion(local + L"\\Rivano\\Rivano.bmp");
    return 0;
  }
  // Every later use of the bitmap (the desktop's value, the history) names
  // the file as written here.
  const std::wstring data = win::dataFolder(state.appFolder);
  state.wallpaperBitmap = data + L"Rivano.bmp";
  state.unpackFolder = data + L"UnPakTmp";
  // A run killed while it wrote the bitmap leaves its half beside the
  // bitmap, as large as the screen's bitmap; only this instance may write
  // there now, so whatever lies there is that run's.
  win::removeLeftoverCompanion(state.wallpaperBitmap);
  if (kind == RunKind::silent) return runAtLogon(state);

  // The windows' controls; the logon run has none, and under Wine this
  // call alone starts the display and the theme.
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  OleSession ole;
  takeScreen(state, win::measureScreen());

  win::Win32Registry registry;
  win::OlePictureLoader pictures(state.screen);
  win::BitmapFile bitmapFile;
  win::SystemDesktop desktop;
  win::ArchiverLibraries archivers;
  Services services{registry, registry, archivers, pictures, bitmapFile, desktop};
  FrmMain main(state, services);

  switch (kind) {
    case RunKind::silent:  // handled above
      return 0;
    case RunKind::noRandom:
      state.skipStartDraw = true;
      [[fallthrough]];
    case RunKind::interactive:
      main.load();
      // Without its window the run would wait for messages forever.
      if (!main.isCreated()) return 1;
      win::processPendingMessages();
      main.show();
      return messageLoop(main);
    case RunKind::picture: {
      FrmDropWork work(state, services, arguments);
      work.load();
      win::processPendingMessages();
      work.unload();
      return 0;
    }
    case RunKind::nothing:  // handled above
      return 0;
  }
  return 0;
}

}  // namespace rivano
