// Dragging one file out of a window to the shell or any other drop target:
// the drag carries the path as the shell's file list (CF_HDROP).
#pragma once

#include <windows.h>

#include <string>

namespace rivano::win {

// Runs the drag until the user drops or cancels; the effects allowed are
// copy and move. Returns the effect the target chose (DROPEFFECT_NONE when
// cancelled or when the drag could not start).
DWORD dragFileOut(const std::wstring& path);

// True once the mouse, pressed at `from`, has left the system's drag
// rectangle around that point (screen or client coordinates alike).
bool leftDragRectangle(POINT from, POINT now);

}  // namespace rivano::win
