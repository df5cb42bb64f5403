#include "platform/slider.h"

#include <commctrl.h>

namespace rivano::win {

void Slider::setup(int minimum, int maximum, int smallStep, int largeStep, int tickEvery) {
  SendMessageW(slider_, TBM_SETRANGEMIN, FALSE, minimum);
  SendMessageW(slider_, TBM_SETRANGEMAX, TRUE, maximum);
  SendMessageW(slider_, TBM_SETLINESIZE, 0, smallStep);
  SendMessageW(slider_, TBM_SETPAGESIZE, 0, largeStep);
  SendMessageW(slider_, TBM_CLEARTICS, FALSE, 0);
  for (int at = minimum + tickEvery; at < maximum; at += tickEvery) SendMessageW(slider_, TBM_SETTIC, 0, at);
  InvalidateRect(slider_, nullptr, TRUE);
}

int Slider::value() const { return static_cast<int>(SendMessageW(slider_, TBM_GETPOS, 0, 0)); }

void Slider::setValue(int value) { SendMessageW(slider_, TBM_SETPOS, TRUE, value); }

}  // namespace rivano::win
