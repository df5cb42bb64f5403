#include "engine/jpeg_picture.h"

#include <utility>
#include <vector>

#include "engine/jpeg/jpeg_decoder.h"
#include "engine/jpeg_size_guard.h"
#include "engine/resample.h"
#include "settings/run_error.h"

namespace rivano {
namespace {

class JpegPicture final : public Picture {
 public:
  JpegPicture(std::span<const std::uint8_t> file, const jpeg::JpegInfo& info, int scale, PixelImage decoded,
              const ScreenMetrics& screen)
      : file_(file.begin(), file.end()),
        info_(info),
        scale_(scale),
        decoded_(std::move(decoded)),
        // A raster picture measures its pixels times the screen's twips per pixel.
        twips_{static_cast<float>(info.width * screen.twipsPerPixelX),
               static_cast<float>(info.height * screen.twipsPerPixelY)} {}

  PictureTwips sizeTwips() const override { return twips_; }

  PixelImage asLoaded() const override { return scale_ == 1 ? decoded_ : decodeAt(1); }

  PixelImage stretched(std::int32_t width, std::int32_t height) const override {
    if (width == info_.width && height == info_.height) return asLoaded();
    if (decoded_.width >= width && decoded_.height >= height) return fitted(decoded_, width, height);
    return fitted(decodeAt(jpeg::jpegScaleFor(info_, width, height)), width, height);
  }

 private:
  static PixelImage fitted(const PixelImage& image, std::int32_t width, std::int32_t height) {
    if (image.width == width && image.height == height) return image;
    return shrinkPicture(image, width, height);
  }

  PixelImage decodeAt(int scale) const {
    PixelImage image;
    // It decoded once; failing at another fraction is as broken as a
    // picture the loader cannot read.
    if (jpeg::decodeJpeg(file_, scale, image) != jpeg::JpegStatus::ok) throw RunError(err::invalidPicture);
    return image;
  }

  std::vector<std::uint8_t> file_;
  jpeg::JpegInfo info_;
  int scale_;
  PixelImage decoded_;
  PictureTwips twips_;
};

}  // namespace

bool looksLikeJpeg(std::span<const std::uint8_t> file) {
  return file.size() >= 2 && file[0] == 0xFF && file[1] == 0xD8;
}

std::unique_ptr<Picture> decodeJpegPicture(std::span<const std::uint8_t> file, const DrawTargets& targets,
                                           const ScreenMetrics& screen) {
  if (!looksLikeJpeg(file)) return nullptr;
  // Before any refusal can hand the file on: the platform's loader must
  // never see a size that we would not try ourselves.
  refuseOversizedJpeg(file);
  jpeg::JpegInfo info;
  if (jpeg::readJpegInfo(file, info) != jpeg::JpegStatus::ok || info.width <= 0 || info.height <= 0)
    return nullptr;
  const PixelSize drawn = targets.largestDrawn({info.width, info.height}, screen);
  const int scale = jpeg::jpegScaleFor(info, drawn.width, drawn.height);
  PixelImage decoded;
  if (jpeg::decodeJpeg(file, scale, decoded) != jpeg::JpegStatus::ok) return nullptr;
  return std::make_unique<JpegPicture>(file, info, scale, std::move(decoded), screen);
}

}  // namespace rivano
