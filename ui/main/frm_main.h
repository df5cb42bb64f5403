// The main window. So far only its frame: the lists, the preview and the
// exit sequence that changes the wallpaper come with the window's own work.
#pragma once

#include "app/program_state.h"
#include "platform/window.h"

namespace rivano {

class FrmMain final : public win::Window {
 public:
  FrmMain(ProgramState& state, Services& services);
  void load();
  void show();
  // Runs the exit sequence; the run ends with it.
  void unload();

 protected:
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  ProgramState& state_;
  Services& services_;
};

}  // namespace rivano
