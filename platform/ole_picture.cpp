#include "platform/ole_picture.h"

#include <windows.h>
// needs windows.h first
#include <ocidl.h>
#include <olectl.h>

#include <algorithm>

#include "platform/unique_handle.h"
#include "settings/run_error.h"

namespace rivano::win {
namespace {

// Larger files are no pictures the desktop could show anyway, and reading
// them whole would exhaust a 32-bit process.
constexpr LONGLONG kLargestPictureFile = 256LL << 20;

int openErrorFor(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND: return err::fileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH: return err::pathNotFound;
    case ERROR_SHARING_VIOLATION: return err::permissionDenied;
    default: return err::pathFileAccess;
  }
}

// The file's bytes in movable global memory, as a stream wants them.
UniqueGlobal readWholeFile(const std::wstring& path, DWORD& size) {
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) throw RunError(openErrorFor(GetLastError()));
  LARGE_INTEGER length{};
  if (!GetFileSizeEx(file.get(), &length)) throw RunError(err::pathFileAccess);
  if (length.QuadPart == 0) throw RunError(err::invalidPicture);
  if (length.QuadPart > kLargestPictureFile) throw RunError(err::outOfMemory);
  size = static_cast<DWORD>(length.QuadPart);
  UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE, size));
  if (!memory) throw RunError(err::outOfMemory);
  void* bytes = GlobalLock(memory.get());
  DWORD read = 0;
  const BOOL ok = ReadFile(file.get(), bytes, size, &read, nullptr);
  GlobalUnlock(memory.get());
  if (!ok || read != size) throw RunError(err::pathFileAccess);
  return memory;
}

SIZE rasterSize(IPicture* picture, SHORT type) {
  OLE_HANDLE handle = 0;
  picture->get_Handle(&handle);
  BITMAP bm{};
  if (type == PICTYPE_BITMAP) {
    if (GetObjectW(reinterpret_cast<HGDIOBJ>(static_cast<UINT_PTR>(handle)), sizeof bm, &bm))
      return {bm.bmWidth, bm.bmHeight};
  } else if (type == PICTYPE_ICON) {
    ICONINFO info{};
    if (GetIconInfo(reinterpret_cast<HICON>(static_cast<UINT_PTR>(handle)), &info)) {
      UniqueGdiObject color(info.hbmColor), mask(info.hbmMask);
      if (color && GetObjectW(color.get(), sizeof bm, &bm)) return {bm.bmWidth, bm.bmHeight};
      if (mask && GetObjectW(mask.get(), sizeof bm, &bm)) return {bm.bmWidth, bm.bmHeight / 2};
    }
  }
  return {0, 0};
}

class OlePicture final : public Picture {
 public:
  OlePicture(ComPtr<IPicture> picture, const ScreenMetrics& screen) : picture_(std::move(picture)) {
    SHORT type = PICTYPE_UNINITIALIZED;
    picture_->get_Type(&type);
    picture_->get_Width(&himetricWidth_);
    picture_->get_Height(&himetricHeight_);
    const SIZE raster = rasterSize(picture_.get(), type);
    if (raster.cx > 0 && raster.cy > 0) {
      // A raster picture measures its pixels times the screen's twips per pixel.
      pixels_ = raster;
      twips_ = {static_cast<float>(raster.cx * screen.twipsPerPixelX),
                static_cast<float>(raster.cy * screen.twipsPerPixelY)};
    } else {
      // A metafile has only its physical size.
      twips_ = {static_cast<float>(himetricWidth_ * 1440.0 / 2540.0),
                static_cast<float>(himetricHeight_ * 1440.0 / 2540.0)};
      pixels_ = {std::max<LONG>(1, static_cast<LONG>(twips_.width) / screen.twipsPerPixelX),
                 std::max<LONG>(1, static_cast<LONG>(twips_.height) / screen.twipsPerPixelY)};
    }
    if (himetricWidth_ <= 0 || himetricHeight_ <= 0) throw RunError(err::invalidPicture);
  }

  PictureTwips sizeTwips() const override { return twips_; }
  PixelImage asLoaded() const override { return stretched(pixels_.cx, pixels_.cy); }
  PixelImage stretched(std::int32_t width, std::int32_t height) const override;

 private:
  ComPtr<IPicture> picture_;
  OLE_XSIZE_HIMETRIC himetricWidth_ = 0;
  OLE_YSIZE_HIMETRIC himetricHeight_ = 0;
  SIZE pixels_{};
  PictureTwips twips_{};
};

PixelImage OlePicture::stretched(std::int32_t width, std::int32_t height) const {
  if (width <= 0 || height <= 0) throw RunError(err::invalidPicture);
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
    // Transparent parts of icons and GIFs show the desktop's own colour.
    UniqueGdiObject background(CreateSolidBrush(GetSysColor(COLOR_DESKTOP)));
    RECT all{0, 0, width, height};
    FillRect(dc.get(), &all, static_cast<HBRUSH>(background.get()));
    SetStretchBltMode(dc.get(), HALFTONE);
    SetBrushOrgEx(dc.get(), 0, 0, nullptr);
    // Source rectangle in HIMETRIC runs bottom-up.
    if (FAILED(picture_->Render(dc.get(), 0, 0, width, height, 0, himetricHeight_, himetricWidth_,
                                -himetricHeight_, nullptr)))
      throw RunError(err::invalidPicture);
    GdiFlush();
  }
  PixelImage image{width, height, {}};
  const auto* src = static_cast<const std::uint32_t*>(bits);
  image.pixels.assign(src, src + static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (std::uint32_t& p : image.pixels) p &= 0x00FFFFFF;
  return image;
}

}  // namespace

std::unique_ptr<Picture> OlePictureLoader::load(const std::wstring& path) {
  DWORD size = 0;
  UniqueGlobal memory = readWholeFile(path, size);
  ComPtr<IStream> stream;
  // The stream takes the memory over and frees it with itself.
  if (FAILED(CreateStreamOnHGlobal(memory.get(), TRUE, stream.put()))) throw RunError(err::outOfMemory);
  memory.release();
  ComPtr<IPicture> picture;
  if (FAILED(OleLoadPicture(stream.get(), static_cast<LONG>(size), FALSE, IID_IPicture, picture.putVoid())) ||
      !picture)
    throw RunError(err::invalidPicture);
  return std::make_unique<OlePicture>(std::move(picture), screen_);
}

}  // namespace rivano::win
