// The hourglass for the length of a busy operation, on every way out.
#pragma once

#include <windows.h>

namespace rivano::win {

class ScopedHourglass {
 public:
  ScopedHourglass() : previous_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
  ~ScopedHourglass() { SetCursor(previous_ ? previous_ : LoadCursorW(nullptr, IDC_ARROW)); }
  ScopedHourglass(const ScopedHourglass&) = delete;
  ScopedHourglass& operator=(const ScopedHourglass&) = delete;

 private:
  HCURSOR previous_;
};

// Lets the messages that are waiting run once.
void processPendingMessages();

}  // namespace rivano::win
