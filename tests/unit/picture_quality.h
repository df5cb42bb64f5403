// Test pictures made at run time, an ImageMagick Lanczos reference of a
// given size, and the two figures a shrunk picture is judged by.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/pixel_image.h"

namespace rivano::testing {

// Soft colour waves and gradients, nothing sharper than a few pixels.
PixelImage smoothPicture(std::int32_t width, std::int32_t height);
// Black on white: one- and two-pixel lines across, down, slanted and round,
// and rows of digits with strokes one to three pixels wide.
PixelImage linesAndTextPicture(std::int32_t width, std::int32_t height);

// Peak signal-to-noise ratio over the three channels, in dB (99 when equal).
double psnr(const PixelImage& a, const PixelImage& b);
// Structural similarity of the luma, 11 × 11 Gaussian window (σ 1.5).
double ssim(const PixelImage& a, const PixelImage& b);

// `convert <picture> -filter Lanczos -resize WxH! <reference>`, run in
// `folder` (a native path; under Wine the program is the host's own).
// Empty when ImageMagick could not be run.
std::optional<PixelImage> lanczosReference(const PixelImage& picture, std::int32_t width, std::int32_t height,
                                           const std::string& folder);

// `convert <picture> <options> jpg:<file>`, the file's bytes; empty when
// ImageMagick could not be run.
std::optional<std::vector<std::uint8_t>> convertToJpeg(const PixelImage& picture, const std::string& options,
                                                      const std::string& folder);

// `cjpeg <options>` of the picture, the file's bytes.
std::optional<std::vector<std::uint8_t>> cjpegToJpeg(const PixelImage& picture, const std::string& options,
                                                    const std::string& folder);

// A fresh folder under the temporary one, removed by nobody: the caller
// deletes what it writes there.
std::string scratchFolder();

}  // namespace rivano::testing
