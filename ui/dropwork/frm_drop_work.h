// The invisible worker that makes the picture named on the command line the
// wallpaper at once, tiled by the drop settings.
#pragma once

#include <string>

#include "app/program_state.h"
#include "platform/window.h"

namespace rivano {

class FrmDropWork final : public win::Window {
 public:
  FrmDropWork(const ProgramState& state, Services& services, std::wstring arguments);
  // Creates the (never shown) window and applies the picture.
  void load();
  void unload();

 private:
  void applyDroppedPicture();
  const ProgramState& state_;
  Services& services_;
  std::wstring arguments_;
};

}  // namespace rivano
