#include "platform/face_bitmap.h"

#include <cstdint>

namespace rivano::win {

UniqueGdiObject loadBitmapOnFace(HINSTANCE instance, int id, COLORREF mask, COLORREF face) {
  UniqueGdiObject source(LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, 0));
  BITMAP size{};
  if (!source || !GetObjectW(source.get(), sizeof size, &size) || size.bmWidth <= 0 || size.bmHeight <= 0)
    return {};
  // Copied into 32-bit pixels of our own, whatever depth the resource has.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = size.bmWidth;
  info.bmiHeader.biHeight = -size.bmHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  ScreenDc screen;
  UniqueGdiObject result(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  UniqueMemoryDc from(CreateCompatibleDC(screen.get()));
  UniqueMemoryDc to(CreateCompatibleDC(screen.get()));
  if (!result || !bits || !from || !to) return {};
  {
    ScopedSelect readFrom(from.get(), source.get());
    ScopedSelect drawTo(to.get(), result.get());
    if (!BitBlt(to.get(), 0, 0, size.bmWidth, size.bmHeight, from.get(), 0, 0, SRCCOPY)) return {};
  }
  GdiFlush();
  // DIB pixels are blue, green, red from the lowest byte up; COLORREFs the
  // other way round.
  const auto pixel = [](COLORREF c) {
    return static_cast<std::uint32_t>(GetRValue(c)) << 16 | static_cast<std::uint32_t>(GetGValue(c)) << 8 |
           GetBValue(c);
  };
  const std::uint32_t masked = pixel(mask);
  const std::uint32_t faced = pixel(face);
  auto* p = static_cast<std::uint32_t*>(bits);
  const std::size_t count = static_cast<std::size_t>(size.bmWidth) * static_cast<std::size_t>(size.bmHeight);
  for (std::size_t i = 0; i < count; ++i)
    if ((p[i] & 0xFFFFFFu) == masked) p[i] = faced;
  return result;
}

}  // namespace rivano::win
