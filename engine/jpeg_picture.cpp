#include "engine/jpeg_picture.h"

#include <utility>
#include <vector>

#include "engine/jpeg/exif_orientation.h"
#include "engine/jpeg/jpeg_decoder.h"
#include "engine/jpeg_size_guard.h"
#include "engine/orientation.h"
#include "engine/resample.h"
#include "common/run_error.h"

namespace rivano {
namespace {

PixelSize storedSize(PixelSize shown, int orientation) {
  return swapsSides(orientation) ? PixelSize{shown.height, shown.width} : shown;
}

PixelSize shownSize(const jpeg::JpegInfo& info, int orientation) {
  return storedSize({info.width, info.height}, orientation);
}

// Sizes asked of it are those of the picture as shown, turned as the
// photograph was taken; the decoder works on the picture as stored.
class JpegPicture final : public Picture {
 public:
  JpegPicture(std::span<const std::uint8_t> file, const jpeg::JpegInfo& info, int orientation, int scale,
              PixelImage decoded, const ScreenMetrics& screen)
      : file_(file.begin(), file.end()),
        info_(info),
        orientation_(orientation),
        scale_(scale),
        decoded_(std::move(decoded)),
        shown_(shownSize(info, orientation)),
        // A raster picture measures its pixels times the screen's twips per pixel.
        twips_{static_cast<float>(shown_.width * screen.twipsPerPixelX),
               static_cast<float>(shown_.height * screen.twipsPerPixelY)} {}

  PictureTwips sizeTwips() const override { return twips_; }

  PixelImage asLoaded() const override {
    return shownAsTaken(scale_ == 1 ? decoded_ : decodeAt(1), orientation_);
  }

  PixelImage stretched(std::int32_t width, std::int32_t height) const override {
    if (width == shown_.width && height == shown_.height) return asLoaded();
    const PixelSize stored = storedSize({width, height}, orientation_);
    if (decoded_.width >= stored.width && decoded_.height >= stored.height)
      return shownAsTaken(fitted(decoded_, stored.width, stored.height), orientation_);
    return shownAsTaken(fitted(decodeAt(jpeg::jpegScaleFor(info_, stored.width, stored.height)), stored.width,
                               stored.height),
                        orientation_);
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
  int orientation_;
  int scale_;
  PixelImage decoded_;
  PixelSize shown_;
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
  const int orientation = jpeg::jpegOrientation(file);
  const PixelSize drawn = storedSize(targets.largestDrawn(shownSize(info, orientation), screen), orientation);
  const int scale = jpeg::jpegScaleFor(info, drawn.width, drawn.height);
  PixelImage decoded;
  if (jpeg::decodeJpeg(file, scale, decoded) != jpeg::JpegStatus::ok) return nullptr;
  return std::make_unique<JpegPicture>(file, info, orientation, scale, std::move(decoded), screen);
}

}  // namespace rivano
