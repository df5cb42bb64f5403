// Our JPEG decoder: baseline and progressive Huffman-coded 8-bit pictures
// (grey, YCbCr 4:4:4 / 4:2:2 / 4:2:0 and other sampling, CMYK and YCCK with
// the Adobe marker), decoded whole or at 1/2, 1/4 or 1/8 of the size in the
// DCT domain, so a large picture shrunk for the screen never holds its full
// size pixels. Whatever it refuses goes to the platform loader instead.
//
// The pixels come out in the order they are stored; the EXIF orientation is
// read apart (exif_orientation.h) and applied by the picture. Pixels agree with libjpeg's
// default decode (accurate integer IDCT, smooth chroma upsampling; its
// reduced IDCTs when scaled). A damaged picture (data missing, a bad code,
// a restart marker out of place, a progressive picture cut short after a
// scan) is reported corrupt rather than shown in part.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/pixel_image.h"

namespace rivano::jpeg {

enum class JpegStatus {
  ok,
  notJpeg,      // no SOI marker: some other kind of picture
  unsupported,  // arithmetic coding, 12-bit, lossless, hierarchical ...
  corrupt,      // damaged or truncated
  tooLarge,     // declared size beyond the limit below
};

// Declared sizes beyond these are refused before any allocation.
inline constexpr std::int32_t kMaxSide = 32768;
inline constexpr std::int64_t kMaxPixels = std::int64_t{1} << 28;

struct JpegInfo {
  std::int32_t width = 0;
  std::int32_t height = 0;
  int components = 0;
  bool progressive = false;
};

// Reads the headers up to the first scan.
JpegStatus readJpegInfo(std::span<const std::uint8_t> file, JpegInfo& info);

// The largest of 8, 4, 2, 1 whose scaled size (each side rounded up) still
// covers width × height; 1 when either target side is not positive.
int jpegScaleFor(const JpegInfo& info, std::int32_t width, std::int32_t height);

// Decodes at 1/scale (scale 1, 2, 4 or 8): the image is ceil(w/scale) ×
// ceil(h/scale) pixels, 0x00RRGGBB, top row first.
JpegStatus decodeJpeg(std::span<const std::uint8_t> file, int scale, PixelImage& image);

// Takes a picture's rows as they are decoded, top row first.
class RowSink {
 public:
  virtual void row(std::span<const std::uint32_t> pixels) = 0;

 protected:
  ~RowSink() = default;
};

// The rows decodeJpeg would give, handed on as each row of MCUs completes
// them, so that only a few rows of MCUs of pixels are ever held: a caller
// that shrinks them as they come never holds the picture at this size.
// Rows handed on before a failure belong to no picture.
JpegStatus decodeJpegRows(std::span<const std::uint8_t> file, int scale, RowSink& rows);

namespace detail {

// decodeJpeg, with a progressive picture's coefficients decoded in bands
// of rows that take at most bandBytes (at least one row of MCUs a band).
JpegStatus decodeJpegInBands(std::span<const std::uint8_t> file, int scale, std::size_t bandBytes, PixelImage& image);

}  // namespace detail

}  // namespace rivano::jpeg
