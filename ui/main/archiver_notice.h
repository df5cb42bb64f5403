// The window's side of a missing archiver library: the archive steps raise
// ArchiverMissing, and the window tells the user with its "no DLL" notice
// and goes on as for an archive that gave nothing.
#pragma once

#include <windows.h>

#include "archive/archive_access.h"

namespace rivano {

void showArchiverMissing(HWND owner);

// The step's result, or `fallback` after the notice when the archive's
// library cannot be loaded. Other errors go on to the caller's handler.
template <typename Step>
auto withArchiverNotice(HWND owner, Step&& step, decltype(step()) fallback) -> decltype(step()) {
  try {
    return step();
  } catch (const ArchiverMissing&) {
    showArchiverMissing(owner);
    return fallback;
  }
}

}  // namespace rivano
