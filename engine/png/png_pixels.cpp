#include "engine/png/png_pixels.h"

namespace rivano::png {
namespace {

// A sample of `depth` bits scaled to 0-255, rounded to nearest.
std::uint32_t toEight(std::uint32_t v, int depth) {
  switch (depth) {
    case 16: return (v + 128) / 257;
    case 8: return v;
    default: return v * 255 / ((1u << depth) - 1);
  }
}

// c·α + background·(1 − α), rounded, eight bits each.
std::uint32_t over(std::uint32_t c, std::uint32_t background, std::uint32_t alpha) {
  return (c * alpha + background * (255 - alpha) + 127) / 255;
}

std::uint32_t pixelOver(std::uint32_t r, std::uint32_t g, std::uint32_t b, std::uint32_t alpha,
                        std::uint32_t background) {
  if (alpha == 255) return r << 16 | g << 8 | b;
  return over(r, background >> 16 & 0xFF, alpha) << 16 | over(g, background >> 8 & 0xFF, alpha) << 8 |
         over(b, background & 0xFF, alpha);
}

}  // namespace

int channelsOf(int colourType) {
  switch (colourType) {
    case 2: return 3;
    case 4: return 2;
    case 6: return 4;
    default: return 1;
  }
}

PixelConverter::PixelConverter(const PngChunks& chunks, std::uint32_t background)
    : colourType_(chunks.info.colourType),
      depth_(chunks.info.bitDepth),
      channels_(channelsOf(colourType_)),
      bitsPerPixel_(channels_ * depth_),
      background_(background & 0xFFFFFF),
      hasKey_(chunks.hasKey),
      key_(chunks.key) {
  if (colourType_ == 3) {
    // An index beyond the palette is drawn black, as other readers draw it.
    table_.assign(std::size_t{1} << depth_, 0);
    for (std::size_t i = 0; i < chunks.palette.size() && i < table_.size(); ++i) {
      const PaletteEntry& e = chunks.palette[i];
      table_[i] = pixelOver(e.red, e.green, e.blue, e.alpha, background_);
    }
  } else if (colourType_ == 0 && depth_ <= 8) {
    table_.resize(std::size_t{1} << depth_);
    for (std::uint32_t v = 0; v < table_.size(); ++v) {
      const std::uint32_t grey = toEight(v, depth_);
      table_[v] = pixelOver(grey, grey, grey, hasKey_ && v == key_[0] ? 0 : 255, background_);
    }
  }
}

std::uint32_t PixelConverter::fromSamples(const std::uint16_t* s) const {
  switch (colourType_) {
    case 0: {
      const std::uint32_t grey = toEight(s[0], depth_);
      return pixelOver(grey, grey, grey, hasKey_ && s[0] == key_[0] ? 0 : 255, background_);
    }
    case 2: {
      const bool keyed = hasKey_ && s[0] == key_[0] && s[1] == key_[1] && s[2] == key_[2];
      return pixelOver(toEight(s[0], depth_), toEight(s[1], depth_), toEight(s[2], depth_), keyed ? 0 : 255,
                       background_);
    }
    case 4: {
      const std::uint32_t grey = toEight(s[0], depth_);
      return pixelOver(grey, grey, grey, toEight(s[1], depth_), background_);
    }
    default:
      return pixelOver(toEight(s[0], depth_), toEight(s[1], depth_), toEight(s[2], depth_), toEight(s[3], depth_),
                       background_);
  }
}

void PixelConverter::convert(const std::uint8_t* raw, std::int32_t count, std::uint32_t* out) const {
  const auto n = static_cast<std::size_t>(count);
  if (depth_ < 8) {
    const int perByte = 8 / depth_;
    const unsigned mask = (1u << depth_) - 1;
    for (std::size_t x = 0; x < n; ++x) {
      const int shift = 8 - depth_ * (static_cast<int>(x % static_cast<std::size_t>(perByte)) + 1);
      out[x] = table_[raw[x / static_cast<std::size_t>(perByte)] >> shift & mask];
    }
    return;
  }
  if (!table_.empty()) {  // eight-bit grey or palette
    for (std::size_t x = 0; x < n; ++x) out[x] = table_[raw[x]];
    return;
  }
  const auto channels = static_cast<std::size_t>(channels_);
  std::uint16_t samples[4];
  for (std::size_t x = 0; x < n; ++x) {
    for (std::size_t c = 0; c < channels; ++c) {
      if (depth_ == 16) {
        const std::uint8_t* p = raw + 2 * (x * channels + c);
        samples[c] = static_cast<std::uint16_t>(p[0] << 8 | p[1]);
      } else {
        samples[c] = raw[x * channels + c];
      }
    }
    out[x] = fromSamples(samples);
  }
}

}  // namespace rivano::png
