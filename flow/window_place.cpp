#include "flow/window_place.h"

namespace rivano {

WindowPlace centredPlace(PixelSize window, PixelSize screen) {
  return {(screen.width - window.width) / 2, (screen.height - window.height) / 2};
}

WindowPlace placeAtStart(const MainLoadValues& loaded, WindowPlace centred, std::int32_t twipsPerPixelX,
                         std::int32_t twipsPerPixelY) {
  WindowPlace at = centred;
  if (!loaded.winPosExists) return at;
  if (loaded.left && twipsPerPixelX > 0) at.left = *loaded.left / twipsPerPixelX;
  if (loaded.top && twipsPerPixelY > 0) at.top = *loaded.top / twipsPerPixelY;
  return at;
}

}  // namespace rivano
