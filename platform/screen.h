// The primary screen's size in twips, measured once at start-up.
#pragma once

#include "common/screen_metrics.h"

namespace rivano::win {

ScreenMetrics measureScreen();

}  // namespace rivano::win
