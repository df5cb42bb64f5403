#include "engine/pixel_image.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace rivano {
namespace {

void put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint16_t v) {
  out[at] = static_cast<std::uint8_t>(v);
  out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint32_t get32(std::span<const std::uint8_t> in, std::size_t at) {
  return static_cast<std::uint32_t>(in[at]) | static_cast<std::uint32_t>(in[at + 1]) << 8 |
         static_cast<std::uint32_t>(in[at + 2]) << 16 | static_cast<std::uint32_t>(in[at + 3]) << 24;
}

std::uint16_t get16(std::span<const std::uint8_t> in, std::size_t at) {
  return static_cast<std::uint16_t>(in[at] | in[at + 1] << 8);
}

constexpr std::size_t kHeaderSize = 14 + 40;

std::size_t bmp24Stride(const PixelImage& image) {
  return (static_cast<std::size_t>(image.width) * 3 + 3) & ~std::size_t{3};
}

}  // namespace

std::uint64_t bmp24Size(const PixelImage& image) {
  return kHeaderSize + static_cast<std::uint64_t>(bmp24Stride(image)) * static_cast<std::uint64_t>(image.height);
}

bool encodeBmp24Pieces(const PixelImage& image, std::size_t pieceBytes,
                       const std::function<bool(std::span<const std::uint8_t>)>& put) {
  const auto width = static_cast<std::size_t>(image.width);
  const auto height = static_cast<std::size_t>(image.height);
  const std::size_t stride = bmp24Stride(image);
  std::vector<std::uint8_t> header(kHeaderSize, 0);
  header[0] = 'B';
  header[1] = 'M';
  put32(header, 2, static_cast<std::uint32_t>(bmp24Size(image)));
  put32(header, 10, kHeaderSize);
  put32(header, 14, 40);
  put32(header, 18, static_cast<std::uint32_t>(image.width));
  put32(header, 22, static_cast<std::uint32_t>(image.height));
  put16(header, 26, 1);
  put16(header, 28, 24);
  put32(header, 34, static_cast<std::uint32_t>(stride * height));
  put32(header, 38, 3780);  // 96 dots per inch, in dots per metre
  put32(header, 42, 3780);
  if (!put(header)) return false;
  if (height == 0 || stride == 0) return true;
  const std::size_t rowsPerPiece = std::max<std::size_t>(1, pieceBytes / stride);
  std::vector<std::uint8_t> piece(std::min(rowsPerPiece, height) * stride, 0);
  // Bottom-up: the file's first row is the picture's last.
  for (std::size_t done = 0; done < height;) {
    const std::size_t rows = std::min(rowsPerPiece, height - done);
    for (std::size_t r = 0; r < rows; ++r) {
      std::uint8_t* row = piece.data() + r * stride;
      const std::uint32_t* src = image.pixels.data() + (height - 1 - done - r) * width;
      for (std::size_t x = 0; x < width; ++x) {
        row[3 * x] = static_cast<std::uint8_t>(src[x]);
        row[3 * x + 1] = static_cast<std::uint8_t>(src[x] >> 8);
        row[3 * x + 2] = static_cast<std::uint8_t>(src[x] >> 16);
      }
    }
    if (!put(std::span<const std::uint8_t>(piece.data(), rows * stride))) return false;
    done += rows;
  }
  return true;
}

std::vector<std::uint8_t> encodeBmp24(const PixelImage& image) {
  std::vector<std::uint8_t> out;
  out.reserve(static_cast<std::size_t>(bmp24Size(image)));
  encodeBmp24Pieces(image, std::size_t{1} << 20, [&](std::span<const std::uint8_t> piece) {
    out.insert(out.end(), piece.begin(), piece.end());
    return true;
  });
  return out;
}

std::optional<PixelImage> decodeBmp(std::span<const std::uint8_t> file) {
  if (file.size() < kHeaderSize || file[0] != 'B' || file[1] != 'M') return std::nullopt;
  const std::uint32_t offset = get32(file, 10);
  const std::uint32_t infoSize = get32(file, 14);
  const auto width = static_cast<std::int32_t>(get32(file, 18));
  const auto rawHeight = static_cast<std::int32_t>(get32(file, 22));
  const std::uint16_t bits = get16(file, 28);
  const std::uint32_t compression = get32(file, 30);
  if (infoSize < 40 || width <= 0 || rawHeight == 0 || rawHeight == std::numeric_limits<std::int32_t>::min() ||
      (bits != 24 && bits != 32) || (compression != 0 && compression != 3))
    return std::nullopt;
  const bool topDown = rawHeight < 0;
  const std::int32_t height = topDown ? -rawHeight : rawHeight;
  const std::size_t bytesPerPixel = bits / 8;
  const std::size_t stride = (static_cast<std::size_t>(width) * bytesPerPixel + 3) & ~std::size_t{3};
  if (offset > file.size() || (file.size() - offset) / stride < static_cast<std::size_t>(height))
    return std::nullopt;
  PixelImage image{width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height)};
  for (std::int32_t y = 0; y < height; ++y) {
    const std::size_t fileRow = topDown ? static_cast<std::size_t>(y) : static_cast<std::size_t>(height - 1 - y);
    const std::uint8_t* row = file.data() + offset + fileRow * stride;
    for (std::int32_t x = 0; x < width; ++x) {
      const std::uint8_t* p = row + static_cast<std::size_t>(x) * bytesPerPixel;
      image.pixels[static_cast<std::size_t>(y) * width + x] =
          static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
          static_cast<std::uint32_t>(p[2]) << 16;
    }
  }
  return image;
}

}  // namespace rivano
