// The decoder on arbitrary bytes: the EXIF orientation, the headers, then the picture at a scale
// taken from the input's length so that every scale is reached. Crashes,
// sanitizer reports and hangs are the findings; a decode that succeeds must
// also give the size it promised.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "engine/jpeg/exif_orientation.h"
#include "engine/jpeg/jpeg_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> file(data, size);
  // The EXIF reader walks the same headers and answers 1 to 8 whatever they hold.
  const int orientation = rivano::jpeg::jpegOrientation(file);
  if (orientation < 1 || orientation > 8) std::abort();
  rivano::jpeg::JpegInfo info;
  const rivano::jpeg::JpegStatus infoStatus = rivano::jpeg::readJpegInfo(file, info);
  const int scale = 1 << (size % 4);
  rivano::PixelImage image;
  if (rivano::jpeg::decodeJpeg(file, scale, image) == rivano::jpeg::JpegStatus::ok) {
    if (infoStatus != rivano::jpeg::JpegStatus::ok) std::abort();
    if (image.width != (info.width + scale - 1) / scale || image.height != (info.height + scale - 1) / scale ||
        image.pixels.size() != static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height)) {
      std::abort();
    }
  }
  return 0;
}
