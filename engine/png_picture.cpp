#include "engine/png_picture.h"

#include <utility>

#include "common/run_error.h"
#include "engine/png/png_decoder.h"
#include "engine/resample.h"

namespace rivano {
namespace {

class ShrinkingSink final : public png::RowSink {
 public:
  ShrinkingSink(PixelSize source, PixelSize target)
      : shrink_(source.width, source.height, target.width, target.height) {}
  void row(std::span<const std::uint32_t> pixels) override { shrink_.addRow(pixels); }
  PixelImage finish() { return shrink_.finish(); }

 private:
  RowByRowShrink shrink_;
};

class PngPicture final : public Picture {
 public:
  PngPicture(PngOpener open, PixelSize natural, std::uint32_t background, const ScreenMetrics& screen)
      : open_(std::move(open)),
        natural_(natural),
        background_(background),
        // A raster picture measures its pixels times the screen's twips per pixel.
        twips_{static_cast<float>(natural.width * screen.twipsPerPixelX),
               static_cast<float>(natural.height * screen.twipsPerPixelY)} {}

  void keep(PixelSize size) { kept_ = decodeAt(size); }

  PictureTwips sizeTwips() const override { return twips_; }

  PixelImage asLoaded() const override { return stretched(natural_.width, natural_.height); }

  PixelImage stretched(std::int32_t width, std::int32_t height) const override {
    if (width <= 0 || height <= 0) throw RunError(err::invalidPicture);
    if (width == kept_.width && height == kept_.height) return kept_;
    return decodeAt({width, height});
  }

 private:
  // Every size is made from the decoded rows, never from another size, so
  // a picture looks the same whatever it was first decoded for.
  PixelImage decodeAt(PixelSize size) const {
    PixelImage image;
    png::PngStatus status;
    const std::unique_ptr<png::ByteSource> file = open_();
    if (size == natural_) {
      status = png::decodePng(*file, background_, image);
    } else {
      ShrinkingSink sink(natural_, size);
      status = png::decodePngRows(*file, background_, sink);
      if (status == png::PngStatus::ok) image = sink.finish();
    }
    if (status != png::PngStatus::ok || image.pixels.empty()) throw RunError(err::invalidPicture);
    return image;
  }

  PngOpener open_;
  PixelSize natural_;
  std::uint32_t background_;
  PictureTwips twips_;
  PixelImage kept_;
};

}  // namespace

bool looksLikePng(std::span<const std::uint8_t> file) { return png::hasPngSignature(file); }

std::unique_ptr<Picture> decodePngPicture(PngOpener open, const DrawTargets& targets, const ScreenMetrics& screen,
                                          std::uint32_t background) {
  png::PngInfo info;
  if (png::readPngInfo(*open(), info) != png::PngStatus::ok) throw RunError(err::invalidPicture);
  const PixelSize natural{info.width, info.height};
  const PixelSize drawn = targets.largestDrawn(natural, screen);
  auto picture = std::make_unique<PngPicture>(std::move(open), natural, background, screen);
  picture->keep(drawn.width > 0 && drawn.height > 0 ? drawn : natural);
  return picture;
}

std::unique_ptr<Picture> decodePngPicture(std::vector<std::uint8_t> file, const DrawTargets& targets,
                                          const ScreenMetrics& screen, std::uint32_t background) {
  auto bytes = std::make_shared<const std::vector<std::uint8_t>>(std::move(file));
  return decodePngPicture(
      [bytes]() -> std::unique_ptr<png::ByteSource> {
        // The source reads from the bytes the opener keeps alive, and the
        // opener outlives every source made from it.
        return std::make_unique<png::MemorySource>(*bytes);
      },
      targets, screen, background);
}

}  // namespace rivano
