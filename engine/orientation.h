// Showing a picture the way it was taken: the EXIF orientations 1 to 8
// (engine/jpeg/exif_orientation.h says what each means) applied to pixels
// and to sizes. The sizes a picture is fitted, tiled and previewed at are
// those of the picture as shown, so they go through `shownSize` too.
#pragma once

#include <cstdint>

#include "engine/pixel_image.h"

namespace rivano {

// Orientations 5 to 8 turn or mirror across a diagonal: width and height
// change places.
bool swapsSides(int orientation);

// The picture as shown, from the pixels as stored. 1, and any value
// outside 1 to 8, leave it as it is.
PixelImage shownAsTaken(PixelImage stored, int orientation);

}  // namespace rivano
