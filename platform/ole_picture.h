// The picture loader: BMP, GIF, JPEG, PNG, icon and metafile files, as
// pixels for the wallpaper file. PNGs go to our own decoder alone; JPEGs to
// our own decoder first; everything else, and any JPEG it refuses, to OLE's
// picture object.
#pragma once

#include "engine/wallpaper.h"

namespace rivano::win {

class OlePictureLoader final : public PictureLoader {
 public:
  explicit OlePictureLoader(const ScreenMetrics& screen) : screen_(screen) {}
  // Pictures OLE read must be gone by then.
  ~OlePictureLoader() override;
  OlePictureLoader(const OlePictureLoader&) = delete;
  OlePictureLoader& operator=(const OlePictureLoader&) = delete;
  using PictureLoader::load;
  std::unique_ptr<Picture> load(const std::wstring& path, const DrawTargets& targets) override;

 private:
  ScreenMetrics screen_;
  // COM is joined on the first picture OLE reads: a run whose pictures are
  // all JPEGs of our own decoder never pays for starting it.
  bool comJoined_ = false;
};

}  // namespace rivano::win
