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

PixelSize decodedSize(const jpeg::JpegInfo& info, int scale) {
  return {(info.width + scale - 1) / scale, (info.height + scale - 1) / scale};
}

bool covers(PixelSize outer, PixelSize inner) { return outer.width >= inner.width && outer.height >= inner.height; }

class ShrinkingRows final : public jpeg::RowSink {
 public:
  ShrinkingRows(PixelSize source, PixelSize target)
      : shrink_(source.width, source.height, target.width, target.height) {}
  void row(std::span<const std::uint32_t> pixels) override { shrink_.addRow(pixels); }
  PixelImage finish() { return shrink_.finish(); }

 private:
  RowByRowShrink shrink_;
};

// The picture decoded at 1/scale and brought to `size`; empty when the
// decoder fails. A shrink takes the rows as they come, the very pixels a
// shrink of the whole decoded image gives, without ever holding it.
PixelImage decodeShrunk(std::span<const std::uint8_t> file, const jpeg::JpegInfo& info, int scale, PixelSize size) {
  const PixelSize decoded = decodedSize(info, scale);
  if (size == decoded || !covers(decoded, size)) {
    PixelImage image;
    if (jpeg::decodeJpeg(file, scale, image) != jpeg::JpegStatus::ok) return {};
    if (size == decoded) return image;
    return shrinkPicture(image, size.width, size.height);
  }
  ShrinkingRows rows(decoded, size);
  if (jpeg::decodeJpegRows(file, scale, rows) != jpeg::JpegStatus::ok) return {};
  return rows.finish();
}

// What a picture keeps between the sizes asked of it, as stored.
struct KeptPixels {
  PixelImage image;
  // The whole decode at the picture's scale, which other sizes are shrunk
  // from; otherwise `image` is one size shrunk from it.
  bool whole = true;
};

// Sizes asked of it are those of the picture as shown, turned as the
// photograph was taken; the decoder works on the picture as stored.
class JpegPicture final : public Picture {
 public:
  JpegPicture(std::span<const std::uint8_t> file, const jpeg::JpegInfo& info, int orientation, int scale,
              KeptPixels kept, const ScreenMetrics& screen)
      : file_(file.begin(), file.end()),
        info_(info),
        orientation_(orientation),
        scale_(scale),
        kept_(std::move(kept)),
        shown_(shownSize(info, orientation)),
        // A raster picture measures its pixels times the screen's twips per pixel.
        twips_{static_cast<float>(shown_.width * screen.twipsPerPixelX),
               static_cast<float>(shown_.height * screen.twipsPerPixelY)} {}

  PictureTwips sizeTwips() const override { return twips_; }

  PixelImage asLoaded() const override {
    return shownAsTaken(scale_ == 1 && kept_.whole ? kept_.image : decodeAt(1, decodedSize(info_, 1)), orientation_);
  }

  PixelImage stretched(std::int32_t width, std::int32_t height) const override {
    if (width == shown_.width && height == shown_.height) return asLoaded();
    if (width <= 0 || height <= 0) return {};  // as a shrink to nothing gives
    const PixelSize stored = storedSize({width, height}, orientation_);
    if (stored == PixelSize{kept_.image.width, kept_.image.height}) return shownAsTaken(kept_.image, orientation_);
    // Shrunk from the decode at the picture's own scale while that covers
    // the size, so that every size agrees with the one it was loaded for.
    if (covers(decodedSize(info_, scale_), stored)) {
      if (kept_.whole) return shownAsTaken(shrinkPicture(kept_.image, stored.width, stored.height), orientation_);
      return shownAsTaken(decodeAt(scale_, stored), orientation_);
    }
    return shownAsTaken(decodeAt(jpeg::jpegScaleFor(info_, stored.width, stored.height), stored), orientation_);
  }

 private:
  PixelImage decodeAt(int scale, PixelSize size) const {
    PixelImage image = decodeShrunk(file_, info_, scale, size);
    // It decoded once; failing at another fraction is as broken as a
    // picture the loader cannot read.
    if (image.pixels.empty()) throw RunError(err::invalidPicture);
    return image;
  }

  std::vector<std::uint8_t> file_;
  jpeg::JpegInfo info_;
  int orientation_;
  int scale_;
  KeptPixels kept_;
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
  const PixelSize decoded = decodedSize(info, scale);
  // Only the size drawn is kept, shrunk as the rows are decoded. When a
  // preview's size is wanted as well, a decode at a fraction of the size
  // (at most a quarter of the picture) is kept instead, so that both are
  // shrunk from one decode; at full size it would be the whole picture.
  const bool shrinkNow = drawn.width > 0 && drawn.height > 0 && covers(decoded, drawn) && drawn != decoded &&
                         (scale == 1 || !targets.severalSizes());
  KeptPixels kept{decodeShrunk(file, info, scale, shrinkNow ? drawn : decoded), !shrinkNow};
  if (kept.image.pixels.empty()) return nullptr;
  return std::make_unique<JpegPicture>(file, info, orientation, scale, std::move(kept), screen);
}

}  // namespace rivano
