// A tab frame of the options dialog: a container for the controls of one
// tab, which passes their notifications on to the dialog, so that the
// frame can be moved away and disabled as one.
#pragma once

#include "platform/controls.h"
#include "platform/window.h"

namespace rivano {

class OptionFrame final : public win::Window {
 public:
  bool create(HWND dialog, const RECT& pixels, int id);

 protected:
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

}  // namespace rivano
