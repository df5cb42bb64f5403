#include "flow/window_place.h"

namespace rivano {

WindowPlace centredPlace(PixelSize window, PixelSize screen) {
  return {(screen.width - window.width) / 2, (screen.height - window.height) / 2};
}

}  // namespace rivano
