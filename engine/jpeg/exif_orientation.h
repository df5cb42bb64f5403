// The way a photograph was held, as cameras and phones record it in EXIF
// (TIFF tag 0x0112): 1 as stored, 2 mirrored left to right, 3 turned half
// round, 4 mirrored top to bottom, 5 mirrored along the falling diagonal,
// 6 to be turned a quarter clockwise, 7 mirrored along the rising diagonal,
// 8 to be turned a quarter anticlockwise. Anything missing, damaged or
// unknown reads as 1: a picture is never turned on a guess.
#pragma once

#include <cstdint>
#include <span>

namespace rivano::jpeg {

// From a TIFF structure (what follows "Exif\0\0" in a JPEG's APP1 segment):
// the orientation of its first image directory.
int exifOrientation(std::span<const std::uint8_t> tiff);

// From a whole JPEG file: the first EXIF segment before the first scan.
int jpegOrientation(std::span<const std::uint8_t> file);

}  // namespace rivano::jpeg
