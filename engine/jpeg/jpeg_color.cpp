#include "engine/jpeg/jpeg_color.h"

#include "engine/jpeg/jpeg_upsample.h"
#include "engine/jpeg/jpeg_ycc.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace rivano::jpeg::detail {
namespace {

// The usual fixed-point YCbCr to RGB tables (16 fraction bits), for YCCK;
// YCbCr itself goes through the vector routine of jpeg_ycc.h.
struct YccTables {
  std::array<std::int32_t, 256> crR{}, cbB{}, crG{}, cbG{};
  YccTables() {
    constexpr std::int32_t half = 1 << 15;
    auto fix = [](double x) { return static_cast<std::int32_t>(x * 65536.0 + 0.5); };
    for (int i = 0; i < 256; ++i) {
      const std::int32_t x = i - 128;
      crR[i] = (fix(1.40200) * x + half) >> 16;
      cbB[i] = (fix(1.77200) * x + half) >> 16;
      crG[i] = -fix(0.71414) * x;
      cbG[i] = -fix(0.34414) * x + half;
    }
  }
};

const YccTables& ycc() {
  static const YccTables tables;
  return tables;
}

inline std::uint32_t clamp255(std::int32_t v) { return static_cast<std::uint32_t>(std::clamp(v, 0, 255)); }

const std::uint8_t* planeRow(const Plane& p, std::int32_t y) { return p.row(std::min(y, p.height - 1)); }

}  // namespace

// One output row of one component, at least `width` samples.
class RowSource {
 public:
  RowSource(const Plane& plane, bool smooth, std::int32_t width) : plane_(plane), width_(width) {
    const bool twoToOne = (plane.expandX == 2 && plane.expandY <= 2) || (plane.expandX == 1 && plane.expandY == 2);
    smooth_ = smooth && twoToOne;
    below_ = smooth_ && plane.expandY == 2 ? 1 : 0;
    if (plane.expandX != 1 || plane.expandY != 1) {
      buffer_.resize(static_cast<std::size_t>(std::max(width, plane.width * plane.expandX)) + 2);
    }
  }

  // The last plane row that output row y reads.
  std::int32_t lastRowFor(std::int32_t y) const { return std::min(y / plane_.expandY + below_, plane_.height - 1); }

  const std::uint8_t* row(std::int32_t y) {
    const Plane& p = plane_;
    if (p.expandX == 1 && p.expandY == 1) return planeRow(p, y);
    const std::int32_t sy = y / p.expandY;
    std::uint8_t* out = buffer_.data();
    if (smooth_) {
      const std::uint8_t* near = planeRow(p, sy);
      if (p.expandY == 2) {
        const std::int32_t fy = (y & 1) ? std::min(sy + 1, p.height - 1) : std::max(sy - 1, 0);
        const std::uint8_t* far = planeRow(p, fy);
        if (p.expandX == 2) {
          smoothDoubleBoth(near, far, p.width, out);
        } else {
          const int bias = (y & 1) ? 2 : 1;
          for (std::int32_t x = 0; x < p.width; ++x) out[x] = static_cast<std::uint8_t>((near[x] * 3 + far[x] + bias) >> 2);
        }
      } else {
        smoothDoubleWidth(near, p.width, out);
      }
      return out;
    }
    const std::uint8_t* in = planeRow(p, sy);
    for (std::int32_t x = 0; x < width_; ++x) out[x] = in[std::min(x / p.expandX, p.width - 1)];
    return out;
  }

 private:
  const Plane& plane_;
  std::int32_t width_;
  bool smooth_ = false;
  int below_ = 0;
  std::vector<std::uint8_t> buffer_;
};

namespace {

// The Adobe convention: the file holds inverted inks, so the stored values
// multiply straight into the light that remains.
inline std::uint32_t ink(std::uint32_t c, std::uint32_t k) { return (c * k * 2 + 255) / 510; }

void convertRow(ColorTransform transform, const std::uint8_t* const* rows, std::int32_t width, std::uint32_t* out) {
  const YccTables& t = ycc();
  switch (transform) {
    case ColorTransform::grey:
      for (std::int32_t x = 0; x < width; ++x) out[x] = rows[0][x] * 0x010101u;
      break;
    case ColorTransform::rgb:
      for (std::int32_t x = 0; x < width; ++x) out[x] = (rows[0][x] << 16) | (rows[1][x] << 8) | rows[2][x];
      break;
    case ColorTransform::ycbcr:
      yccRowToRgb(rows[0], rows[1], rows[2], width, out);
      break;
    case ColorTransform::cmyk:
      for (std::int32_t x = 0; x < width; ++x) {
        const std::uint32_t k = rows[3][x];
        out[x] = (ink(rows[0][x], k) << 16) | (ink(rows[1][x], k) << 8) | ink(rows[2][x], k);
      }
      break;
    case ColorTransform::ycck:
      for (std::int32_t x = 0; x < width; ++x) {
        const std::int32_t y = rows[0][x], cb = rows[1][x], cr = rows[2][x];
        const std::uint32_t k = rows[3][x];
        const std::uint32_t c = 255 - clamp255(y + t.crR[cr]);
        const std::uint32_t m = 255 - clamp255(y + ((t.cbG[cb] + t.crG[cr]) >> 16));
        const std::uint32_t yellow = 255 - clamp255(y + t.cbB[cb]);
        out[x] = (ink(c, k) << 16) | (ink(m, k) << 8) | ink(yellow, k);
      }
      break;
  }
}

}  // namespace

PixelWriter::PixelWriter(const std::vector<Plane>& planes, ColorTransform transform, bool smooth, std::int32_t width,
                         std::int32_t height, std::uint32_t* out, std::int32_t outRows)
    : transform_(transform), width_(width), height_(height), out_(out), outRows_(outRows > 0 ? outRows : height) {
  sources_.reserve(planes.size());
  for (const Plane& p : planes) sources_.emplace_back(p, smooth, width);
}

PixelWriter::~PixelWriter() = default;

void PixelWriter::writeReady(const std::int32_t* available) {
  const std::uint8_t* rows[4] = {};
  for (; next_ < height_; ++next_) {
    for (std::size_t c = 0; c < sources_.size() && c < 4; ++c) {
      if (sources_[c].lastRowFor(next_) >= available[c]) return;
    }
    for (std::size_t c = 0; c < sources_.size() && c < 4; ++c) rows[c] = sources_[c].row(next_);
    convertRow(transform_, rows, width_,
               out_ + static_cast<std::size_t>(next_ % outRows_) * static_cast<std::size_t>(width_));
  }
}

}  // namespace rivano::jpeg::detail
