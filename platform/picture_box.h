// A picture box with persistent drawing: what is drawn into it stays on
// its own canvas and is painted from there. A double click is reported to
// the parent as WM_COMMAND with the code STN_DBLCLK.
#pragma once

#include "engine/pixel_image.h"
#include "platform/controls.h"
#include "platform/unique_handle.h"
#include "platform/window.h"

namespace rivano::win {

class PictureBox final : public Window {
 public:
  bool create(HWND parent, const ControlFactory& factory, const TwipsRect& where, int id);
  void clear();
  // Copies the part `source` of `image` to (x, y) of the canvas and shows it.
  void draw(const PixelImage& image, int x, int y, RECT source);
  int innerWidthPixels() const { return width_; }
  int innerHeightPixels() const { return height_; }

 protected:
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // A blank canvas of the box's inner size.
  bool makeCanvas();
  int id_ = 0;
  int width_ = 0;
  int height_ = 0;
  UniqueMemoryDc canvasDc_;
  UniqueGdiObject canvas_;
  HGDIOBJ previous_ = nullptr;
};

}  // namespace rivano::win
