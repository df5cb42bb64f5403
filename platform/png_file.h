// PNG files for our own decoder, read from the file a block at a time
// rather than whole: a large PNG photograph is tens of megabytes even
// compressed, too much to hold beside the rows being decoded.
#pragma once

#include <memory>
#include <string>

#include "engine/wallpaper.h"

namespace rivano::win {

// Empty when the file does not start as a PNG, whatever its name, or cannot
// be opened (the caller's own reading reports why). Otherwise the picture,
// its transparent parts drawn over the desktop's colour; raises RunError
// 481 when our decoder refuses it.
std::unique_ptr<Picture> loadPngFile(const std::wstring& path, const DrawTargets& targets, const ScreenMetrics& screen);

}  // namespace rivano::win
