// The size a JPEG's frame header claims, read without decoding anything, so
// that a file claiming a picture no loader should try to hold is refused
// before it reaches one. The platform's loader allocates for the claimed
// size first and looks at the data afterwards: a few hundred crafted bytes
// can make it reserve a gigabyte, or fault.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace rivano {

struct JpegFrameSize {
  std::int32_t width = 0;
  std::int32_t height = 0;
  int components = 0;
};

// The first frame header of any coding (baseline, progressive, lossless,
// arithmetic, 12-bit); nothing when there is none before the data ends.
std::optional<JpegFrameSize> declaredJpegFrame(std::span<const std::uint8_t> file);

// Raises RunError 481 when the claimed size is beyond what our decoder
// reads and the file is far too small to hold such a picture, 7 (out of
// memory) when the file is large enough to be a real picture of that size.
void refuseOversizedJpeg(std::span<const std::uint8_t> file);

}  // namespace rivano
