// A JPEG decoded by our own decoder, at the largest fraction of its size
// (1/1, 1/2, 1/4, 1/8) that still covers every size it is going to be
// drawn at, so a large photograph shrunk for the screen never holds its
// full-size pixels. It keeps the file, and decodes again at a finer
// fraction only when asked for more than it holds.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "engine/wallpaper.h"

namespace rivano {

// The start-of-image marker: what makes a file a JPEG, whatever its name.
bool looksLikeJpeg(std::span<const std::uint8_t> file);

// Empty when our decoder refuses the file (not a JPEG, a kind it does not
// read, damaged): the platform loader has its say then. A JPEG claiming a
// size beyond our decoder's reach raises RunError 481, or 7 when it may be
// a real picture too large to hold, and goes nowhere else: the platform's
// loader allocates for whatever the header claims.
std::unique_ptr<Picture> decodeJpegPicture(std::span<const std::uint8_t> file, const DrawTargets& targets,
                                           const ScreenMetrics& screen);

}  // namespace rivano
