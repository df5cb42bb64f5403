// The main window's outer size in twips: the window is made at it, and the
// logon run reckons from it the place the window would have.
#pragma once

#include <cstdint>

namespace rivano {

inline constexpr std::int32_t kMainWindowWidthTwips = 7200;
inline constexpr std::int32_t kMainWindowHeightTwips = 6075;

}  // namespace rivano
