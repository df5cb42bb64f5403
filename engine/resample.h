// Changing a picture's size with filters that look at every source pixel,
// so that thin lines and fine detail keep their share of the result where
// sampling a few neighbours makes them break up and shimmer.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "engine/pixel_image.h"

namespace rivano {

// Each function gives the whole of `source` at width × height pixels; an
// empty source or a side below 1 gives an empty image.

// Area averaging: every output pixel is the mean of the part of the source
// it covers, source pixels at its edges counted by the fraction covered.
PixelImage resampleArea(const PixelImage& source, std::int32_t width, std::int32_t height);
// Lanczos with three lobes, widened by the shrink ratio: sharper than
// averaging, at about three times its cost per source pixel.
PixelImage resampleLanczos(const PixelImage& source, std::int32_t width, std::int32_t height);
// What a picture is shrunk with: Lanczos, after averaging down to about
// twice the size first when the picture is larger still, which costs
// little of the sharpness and keeps very large pictures quick.
PixelImage shrinkPicture(const PixelImage& source, std::int32_t width, std::int32_t height);

// shrinkPicture for a source that comes a row at a time, top row first,
// giving the very same pixels while holding only the few rows each output
// row still waits for: a decoder can shrink a picture far larger than the
// memory its full size would take.
class RowByRowShrink {
 public:
  RowByRowShrink(std::int32_t sourceWidth, std::int32_t sourceHeight, std::int32_t width, std::int32_t height);
  ~RowByRowShrink();
  RowByRowShrink(const RowByRowShrink&) = delete;
  RowByRowShrink& operator=(const RowByRowShrink&) = delete;

  // The next source row, sourceWidth pixels; rows beyond sourceHeight are ignored.
  void addRow(std::span<const std::uint32_t> row);
  // The result once every source row has come; empty as shrinkPicture's
  // would be, or when rows are missing.
  PixelImage finish();

 private:
  class Stage;
  PixelImage out_;
  std::unique_ptr<Stage> last_;
  std::unique_ptr<Stage> first_;
};

}  // namespace rivano
