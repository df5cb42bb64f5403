// Placeable Windows metafiles (the .WMF files picture loaders accept),
// played with their own frame as the drawing's extent.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "engine/wallpaper.h"

namespace rivano::win {

bool isPlaceableMetafile(std::span<const std::uint8_t> file);
// Raises RunError 481 for a damaged file.
std::unique_ptr<Picture> loadPlaceableMetafile(std::span<const std::uint8_t> file,
                                               const ScreenMetrics& screen);

}  // namespace rivano::win
