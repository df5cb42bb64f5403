// A slider (track bar): range, steps, ticks and the thumb's value.
#pragma once

#include <windows.h>

namespace rivano::win {

class Slider {
 public:
  void attach(HWND slider) { slider_ = slider; }
  HWND hwnd() const { return slider_; }
  // Small step for the arrow keys, large step for the page keys and clicks
  // beside the thumb, a tick every `tickEvery` counted from the minimum.
  void setup(int minimum, int maximum, int smallStep, int largeStep, int tickEvery);
  int value() const;
  void setValue(int value);

 private:
  HWND slider_ = nullptr;
};

}  // namespace rivano::win
