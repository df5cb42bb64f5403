// A bitmap resource drawn for a window's face: the pixels of the colour that
// marks its background (the image lists' mask colour) take the colour of
// the face it stands on, as an image list would draw it.
#pragma once

#include <windows.h>

#include "platform/unique_handle.h"

namespace rivano::win {

// Empty when the resource cannot be loaded or converted.
UniqueGdiObject loadBitmapOnFace(HINSTANCE instance, int id, COLORREF mask, COLORREF face);

}  // namespace rivano::win
