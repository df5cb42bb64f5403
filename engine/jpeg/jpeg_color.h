// From decoded component planes to 0x00RRGGBB rows: chroma brought to the
// output size (the smooth "fancy" interpolation of the common decoders for
// 2:1 ratios when not decoding at 1/8, repetition otherwise), then the
// colour transform of the picture.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace rivano::jpeg::detail {

// One component's decoded samples. width × height are the samples that
// belong to the picture; the rows are stride bytes apart and may hold
// padding beyond them. Only the last ringRows rows are kept: row y is at
// y % ringRows.
struct Plane {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t stride = 0;
  std::int32_t ringRows = 0;
  int expandX = 1;  // output pixels per sample
  int expandY = 1;
  std::vector<std::uint8_t> samples;

  std::uint8_t* row(std::int32_t y) {
    return samples.data() + static_cast<std::size_t>(y % ringRows) * static_cast<std::size_t>(stride);
  }
  const std::uint8_t* row(std::int32_t y) const {
    return samples.data() + static_cast<std::size_t>(y % ringRows) * static_cast<std::size_t>(stride);
  }
};

enum class ColorTransform { grey, rgb, ycbcr, cmyk, ycck };

class RowSource;

// Writes output rows from planes (1, 3 or 4 of them) as their samples come
// in. smooth: interpolate 2:1 chroma instead of repeating it. `out` holds
// outRows rows, row y at y % outRows (0: every row of the picture).
class PixelWriter {
 public:
  PixelWriter(const std::vector<Plane>& planes, ColorTransform transform, bool smooth, std::int32_t width,
              std::int32_t height, std::uint32_t* out, std::int32_t outRows = 0);
  ~PixelWriter();
  PixelWriter(const PixelWriter&) = delete;
  PixelWriter& operator=(const PixelWriter&) = delete;

  // Writes every row not yet written whose samples lie within the first
  // available[c] rows of each plane c.
  void writeReady(const std::int32_t* available);
  std::int32_t rowsWritten() const { return next_; }

 private:
  ColorTransform transform_;
  std::int32_t width_;
  std::int32_t height_;
  std::uint32_t* out_;
  std::int32_t outRows_;
  std::vector<RowSource> sources_;
  std::int32_t next_ = 0;
};

}  // namespace rivano::jpeg::detail
