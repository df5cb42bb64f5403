// The picture loader: BMP, GIF, JPEG, icon and metafile files through OLE's
// picture object, as pixels for the wallpaper file.
#pragma once

#include "engine/wallpaper.h"

namespace rivano::win {

class OlePictureLoader final : public PictureLoader {
 public:
  explicit OlePictureLoader(const ScreenMetrics& screen) : screen_(screen) {}
  std::unique_ptr<Picture> load(const std::wstring& path) override;

 private:
  ScreenMetrics screen_;
};

}  // namespace rivano::win
