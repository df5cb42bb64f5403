// A PNG decoded by our own decoder. Its rows are shrunk as they are
// decoded to the largest size it is going to be drawn at, so a large
// picture shrunk for the screen never holds its full-size pixels; other
// sizes are decoded again from the file.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "engine/png/png_source.h"
#include "engine/wallpaper.h"

namespace rivano {

// The PNG signature: what makes a file a PNG, whatever its name.
bool looksLikePng(std::span<const std::uint8_t> file);

// Gives the file to read from, opened afresh for each decode; raises
// RunError when it cannot.
using PngOpener = std::function<std::unique_ptr<png::ByteSource>()>;

// Transparent parts are drawn over `background` (0x00RRGGBB). Raises
// RunError 481 when our decoder refuses the file: no other loader reads
// what it cannot.
std::unique_ptr<Picture> decodePngPicture(PngOpener open, const DrawTargets& targets, const ScreenMetrics& screen,
                                          std::uint32_t background);
// The same from bytes in memory, which it takes over.
std::unique_ptr<Picture> decodePngPicture(std::vector<std::uint8_t> file, const DrawTargets& targets,
                                          const ScreenMetrics& screen, std::uint32_t background);

}  // namespace rivano
