// A picture as pixels, top row first, 0x00RRGGBB per pixel.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace rivano {

struct PixelImage {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<std::uint32_t> pixels;

  std::uint32_t at(std::int32_t x, std::int32_t y) const {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
};

// A Windows bitmap file, 24 bits per pixel, bottom-up rows padded to four
// bytes: the form every version of the desktop shows.
std::vector<std::uint8_t> encodeBmp24(const PixelImage& image);
// The same file's size, and its bytes handed to `put` in order in pieces of
// whole rows of about `pieceBytes` (the header first, alone), so that a
// wallpaper is written without being held a second time as a file. Stops
// and returns false as soon as `put` does.
std::uint64_t bmp24Size(const PixelImage& image);
bool encodeBmp24Pieces(const PixelImage& image, std::size_t pieceBytes,
                       const std::function<bool(std::span<const std::uint8_t>)>& put);
// Reads back uncompressed 24- and 32-bit bitmap files (ours, and test data).
std::optional<PixelImage> decodeBmp(std::span<const std::uint8_t> file);

}  // namespace rivano
