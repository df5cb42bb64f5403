#include "platform/metafile_picture.h"

#include <windows.h>

#include "common/run_error.h"
#include "platform/dib_canvas.h"

namespace rivano::win {
namespace {

constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr std::size_t kPlaceableHeaderSize = 22;

std::uint16_t le16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

// The frame's size in twips and in whole pixels of this screen.
struct MetafileSize {
  PictureTwips twips;
  int pixelsWide;
  int pixelsHigh;
};

MetafileSize measureFrame(const RECT& frame, int unitsPerInch, const ScreenMetrics& screen) {
  const double inchesWide = static_cast<double>(frame.right - frame.left) / unitsPerInch;
  const double inchesHigh = static_cast<double>(frame.bottom - frame.top) / unitsPerInch;
  const PictureTwips twips{static_cast<float>(inchesWide * 1440.0), static_cast<float>(inchesHigh * 1440.0)};
  return {twips, static_cast<int>(twips.width) / screen.twipsPerPixelX,
          static_cast<int>(twips.height) / screen.twipsPerPixelY};
}

class MetafilePicture final : public Picture {
 public:
  MetafilePicture(HMETAFILE metafile, RECT frame, const MetafileSize& size)
      : metafile_(metafile),
        frame_(frame),
        twips_(size.twips),
        pixelsWide_(size.pixelsWide),
        pixelsHigh_(size.pixelsHigh) {}
  ~MetafilePicture() override { DeleteMetaFile(metafile_); }
  MetafilePicture(const MetafilePicture&) = delete;
  MetafilePicture& operator=(const MetafilePicture&) = delete;

  PictureTwips sizeTwips() const override { return twips_; }
  PixelImage asLoaded() const override { return stretched(pixelsWide_, pixelsHigh_); }
  PixelImage stretched(std::int32_t width, std::int32_t height) const override {
    return drawToPixels(width, height, [&](HDC dc) {
      // The frame maps onto the whole bitmap; records that set their own
      // window extent override this.
      SetMapMode(dc, MM_ANISOTROPIC);
      SetWindowOrgEx(dc, frame_.left, frame_.top, nullptr);
      SetWindowExtEx(dc, frame_.right - frame_.left, frame_.bottom - frame_.top, nullptr);
      SetViewportOrgEx(dc, 0, 0, nullptr);
      SetViewportExtEx(dc, width, height, nullptr);
      return PlayMetaFile(dc, metafile_) != FALSE;
    });
  }

 private:
  HMETAFILE metafile_;
  RECT frame_;
  PictureTwips twips_{};
  int pixelsWide_ = 1;
  int pixelsHigh_ = 1;
};

}  // namespace

bool isPlaceableMetafile(std::span<const std::uint8_t> file) {
  return file.size() >= kPlaceableHeaderSize &&
         (static_cast<std::uint32_t>(le16(file, 0)) | static_cast<std::uint32_t>(le16(file, 2)) << 16) ==
             kPlaceableKey;
}

std::unique_ptr<Picture> loadPlaceableMetafile(std::span<const std::uint8_t> file,
                                               const ScreenMetrics& screen) {
  if (!isPlaceableMetafile(file)) throw RunError(err::invalidPicture);
  const RECT frame{static_cast<std::int16_t>(le16(file, 6)), static_cast<std::int16_t>(le16(file, 8)),
                   static_cast<std::int16_t>(le16(file, 10)), static_cast<std::int16_t>(le16(file, 12))};
  const int unitsPerInch = le16(file, 14);
  if (frame.right <= frame.left || frame.bottom <= frame.top || unitsPerInch == 0)
    throw RunError(err::invalidPicture);
  // A frame smaller than one pixel either way would be drawn as no
  // picture at all: it is as broken as a frame of nothing.
  const MetafileSize size = measureFrame(frame, unitsPerInch, screen);
  if (size.pixelsWide <= 0 || size.pixelsHigh <= 0) throw RunError(err::invalidPicture);
  const std::span<const std::uint8_t> records = file.subspan(kPlaceableHeaderSize);
  HMETAFILE metafile = SetMetaFileBitsEx(static_cast<UINT>(records.size()), records.data());
  if (!metafile) throw RunError(err::invalidPicture);
  return std::make_unique<MetafilePicture>(metafile, frame, size);
}

}  // namespace rivano::win
