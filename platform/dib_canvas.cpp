#include "platform/dib_canvas.h"

#include "common/run_error.h"
#include "platform/unique_handle.h"

namespace rivano::win {

PixelImage drawToPixels(std::int32_t width, std::int32_t height, const std::function<bool(HDC)>& draw) {
  if (width <= 0 || height <= 0) throw RunError(err::invalidPicture);
  // Larger than a 32-bit process could hold, and past what the bitmap's
  // own size arithmetic can count.
  if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) * 4 > 0x7FFFFFFFu)
    throw RunError(err::outOfMemory);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  UniqueGdiObject dib(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
  if (!dib || !dc || !bits) throw RunError(err::outOfMemory);
  {
    ScopedSelect select(dc.get(), dib.get());
    UniqueGdiObject background(CreateSolidBrush(GetSysColor(COLOR_DESKTOP)));
    RECT all{0, 0, width, height};
    FillRect(dc.get(), &all, static_cast<HBRUSH>(background.get()));
    SetStretchBltMode(dc.get(), HALFTONE);
    SetBrushOrgEx(dc.get(), 0, 0, nullptr);
    const int saved = SaveDC(dc.get());
    const bool drawn = draw(dc.get());
    RestoreDC(dc.get(), saved);
    if (!drawn) throw RunError(err::invalidPicture);
    GdiFlush();
  }
  PixelImage image{width, height, {}};
  const auto* src = static_cast<const std::uint32_t*>(bits);
  image.pixels.assign(src, src + static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (std::uint32_t& p : image.pixels) p &= 0x00FFFFFF;
  return image;
}

}  // namespace rivano::win
