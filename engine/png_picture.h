// A PNG decoded by our own decoder. Its rows are shrunk as they are
// decoded to the largest size it is going to be drawn at, so a large
// picture shrunk for the screen never holds its full-size pixels; other
// sizes are decoded again from the file it keeps.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "engine/wallpaper.h"

namespace rivano {

// The PNG signature: what makes a file a PNG, whatever its name.
bool looksLikePng(std::span<const std::uint8_t> file);

// Takes the file over. Transparent parts are drawn over `background`
// (0x00RRGGBB). Raises RunError 481 when our decoder refuses the file: no
// other loader reads what it cannot.
std::unique_ptr<Picture> decodePngPicture(std::vector<std::uint8_t> file, const DrawTargets& targets,
                                          const ScreenMetrics& screen, std::uint32_t background);

}  // namespace rivano
