#include "engine/jpeg_size_guard.h"

#include "common/run_error.h"
#include "engine/jpeg/jpeg_decoder.h"

namespace rivano {
namespace {

bool isFrameMarker(std::uint8_t marker) {
  // C4 (Huffman tables), C8 (reserved) and CC (arithmetic conditioning)
  // share the range but are no frames.
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

bool standsAlone(std::uint8_t marker) { return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8); }

}  // namespace

std::optional<JpegFrameSize> declaredJpegFrame(std::span<const std::uint8_t> file) {
  if (file.size() < 2 || file[0] != 0xFF || file[1] != 0xD8) return std::nullopt;
  std::size_t pos = 2;
  while (pos + 1 < file.size()) {
    if (file[pos] != 0xFF) return std::nullopt;
    while (pos < file.size() && file[pos] == 0xFF) ++pos;  // fill bytes
    if (pos >= file.size()) return std::nullopt;
    const std::uint8_t marker = file[pos++];
    if (standsAlone(marker)) continue;
    // Scan data or the end before any frame: nothing claimed.
    if (marker == 0xDA || marker == 0xD9) return std::nullopt;
    if (pos + 2 > file.size()) return std::nullopt;
    const std::size_t length = static_cast<std::size_t>(file[pos]) << 8 | file[pos + 1];
    if (length < 2) return std::nullopt;
    if (isFrameMarker(marker)) {
      if (length < 8 || pos + 8 > file.size()) return std::nullopt;
      return JpegFrameSize{static_cast<std::int32_t>(file[pos + 5]) << 8 | file[pos + 6],
                           static_cast<std::int32_t>(file[pos + 3]) << 8 | file[pos + 4], file[pos + 7]};
    }
    pos += length;
  }
  return std::nullopt;
}

void refuseOversizedJpeg(std::span<const std::uint8_t> file) {
  const std::optional<JpegFrameSize> frame = declaredJpegFrame(file);
  if (!frame) return;
  const std::int64_t pixels = std::int64_t{frame->width} * frame->height;
  if (frame->width <= jpeg::kMaxSide && frame->height <= jpeg::kMaxSide && pixels <= jpeg::kMaxPixels) return;
  // Even a picture of one flat colour spends about two bits on every 8 × 8
  // block of its first component. A file below that holds no such picture:
  // its header lies. One above it may be a real photograph too large to
  // hold, which is a matter of memory, not of a damaged picture.
  const std::int64_t leastBytes = pixels / 64 / 4;
  throw RunError(static_cast<std::int64_t>(file.size()) < leastBytes ? err::invalidPicture : err::outOfMemory);
}

}  // namespace rivano
