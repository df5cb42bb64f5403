// Where the main window stands at start: where it was left, or centred on
// the screen. The logon run stores the same place the window's close
// would, so both reckon it here; neither needs the window itself for it,
// only its size.
#pragma once

#include <cstdint>

#include "engine/fit_rules.h"  // PixelSize
#include "flow/main_window_size.h"
#include "settings/settings_layout.h"

namespace rivano {

// The window's top-left corner with the window centred on the screen; a
// window larger than the screen sticks out on both sides alike.
WindowPlace centredPlace(PixelSize window, PixelSize screen);

// The stored place itself is read by placeAtStart (settings/settings_layout.h),
// which the close's exitValuesAsLoaded shares.

}  // namespace rivano
