#include "platform/ole_picture.h"

#include <windows.h>
// needs windows.h first
#include <ocidl.h>
#include <olectl.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "common/run_error.h"
#include "engine/jpeg_picture.h"
#include "engine/resample.h"
#include "platform/dib_canvas.h"
#include "platform/metafile_picture.h"
#include "platform/png_file.h"
#include "platform/unique_handle.h"

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

std::vector<std::uint8_t> readWholeFile(const std::wstring& path) {
  // Shared for deleting too: the shell replacing a dropped picture may
  // remove the old file while the preview reads it.
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) throw RunError(openErrorFor(GetLastError()));
  LARGE_INTEGER length{};
  if (!GetFileSizeEx(file.get(), &length)) throw RunError(err::pathFileAccess);
  if (length.QuadPart == 0) throw RunError(err::invalidPicture);
  if (length.QuadPart > kLargestPictureFile) throw RunError(err::outOfMemory);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length.QuadPart));
  DWORD read = 0;
  if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
      read != bytes.size())
    throw RunError(err::pathFileAccess);
  return bytes;
}

std::uint32_t le(const std::vector<std::uint8_t>& b, std::size_t at, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | b[at + static_cast<std::size_t>(i)];
  return v;
}

// A bitmap header that declares a width or height of nothing.
bool bmpDeclaresNoSide(const std::vector<std::uint8_t>& b) {
  if (b.size() < 26 || b[0] != 'B' || b[1] != 'M') return false;
  if (le(b, 14, 4) == 12) return le(b, 18, 2) == 0 || le(b, 20, 2) == 0;  // the old core header
  return le(b, 18, 4) == 0 || le(b, 22, 4) == 0;
}

// A GIF whose first image is of no width or no height.
bool gifDeclaresNoSide(const std::vector<std::uint8_t>& b) {
  if (b.size() < 13 || std::memcmp(b.data(), "GIF8", 4) != 0) return false;
  std::size_t at = 13;
  if (b[10] & 0x80) at += 3u << ((b[10] & 7) + 1);  // the global colour table
  while (at < b.size()) {
    if (b[at] == 0x2C) return at + 9 <= b.size() && (le(b, at + 5, 2) == 0 || le(b, at + 7, 2) == 0);
    if (b[at] != 0x21 || at + 2 > b.size()) return false;
    at += 2;  // an extension: its label, then sub-blocks up to an empty one
    while (at < b.size() && b[at] != 0) at += 1u + b[at];
    ++at;
  }
  return false;
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

// Bitmaps, GIFs, JPEGs and icons as OLE's picture object decodes them.
class OlePicture final : public Picture {
 public:
  OlePicture(ComPtr<IPicture> picture, const ScreenMetrics& screen) : picture_(std::move(picture)) {
    SHORT type = PICTYPE_UNINITIALIZED;
    picture_->get_Type(&type);
    picture_->get_Width(&himetricWidth_);
    picture_->get_Height(&himetricHeight_);
    pixels_ = rasterSize(picture_.get(), type);
    if (pixels_.cx <= 0 || pixels_.cy <= 0 || himetricWidth_ <= 0 || himetricHeight_ <= 0)
      throw RunError(err::invalidPicture);
    // A raster picture measures its pixels times the screen's twips per pixel.
    twips_ = {static_cast<float>(pixels_.cx * screen.twipsPerPixelX),
              static_cast<float>(pixels_.cy * screen.twipsPerPixelY)};
  }

  PictureTwips sizeTwips() const override { return twips_; }
  PixelImage asLoaded() const override { return ownPixels(); }
  // From its own pixels through our filter: the system's stretching samples
  // too few of them and breaks thin lines up.
  PixelImage stretched(std::int32_t width, std::int32_t height) const override {
    if (width <= 0 || height <= 0) throw RunError(err::invalidPicture);
    if (width == pixels_.cx && height == pixels_.cy) return ownPixels();
    return shrinkPicture(ownPixels(), width, height);
  }

 private:
  // Drawn once at its own size, where nothing is stretched, and kept: the
  // preview and the change both start from them, and the picture object
  // with its own copy goes once they are made.
  const PixelImage& ownPixels() const {
    if (!own_) {
      own_ = drawToPixels(pixels_.cx, pixels_.cy, [&](HDC dc) {
        SetStretchBltMode(dc, COLORONCOLOR);
        // The source rectangle is in HIMETRIC and runs bottom-up.
        return SUCCEEDED(picture_->Render(dc, 0, 0, pixels_.cx, pixels_.cy, 0, himetricHeight_, himetricWidth_,
                                          -himetricHeight_, nullptr));
      });
      picture_.reset();
    }
    return *own_;
  }

  mutable ComPtr<IPicture> picture_;
  mutable std::optional<PixelImage> own_;
  OLE_XSIZE_HIMETRIC himetricWidth_ = 0;
  OLE_YSIZE_HIMETRIC himetricHeight_ = 0;
  SIZE pixels_{};
  PictureTwips twips_{};
};

std::unique_ptr<Picture> loadWithOle(const std::vector<std::uint8_t>& bytes, const ScreenMetrics& screen) {
  // The header is where a side of nothing shows: the decoder makes such a
  // picture one pixel square instead of refusing it.
  if (bmpDeclaresNoSide(bytes) || gifDeclaresNoSide(bytes)) throw RunError(err::invalidPicture);
  UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE, bytes.size()));
  if (!memory) throw RunError(err::outOfMemory);
  std::memcpy(GlobalLock(memory.get()), bytes.data(), bytes.size());
  GlobalUnlock(memory.get());
  ComPtr<IStream> stream;
  // The stream takes the memory over and frees it with itself.
  if (FAILED(CreateStreamOnHGlobal(memory.get(), TRUE, stream.put()))) throw RunError(err::outOfMemory);
  memory.release();
  ComPtr<IPicture> picture;
  if (FAILED(OleLoadPicture(stream.get(), static_cast<LONG>(bytes.size()), FALSE, IID_IPicture,
                            picture.putVoid())) ||
      !picture)
    throw RunError(err::invalidPicture);
  return std::make_unique<OlePicture>(std::move(picture), screen);
}

}  // namespace

std::unique_ptr<Picture> OlePictureLoader::load(const std::wstring& path, const DrawTargets& targets) {
  // PNGs, whatever their name, are ours alone (OLE reads none), and are
  // read from the file as they are decoded rather than whole.
  if (std::unique_ptr<Picture> png = loadPngFile(path, targets, screen_)) return png;
  const std::vector<std::uint8_t> bytes = readWholeFile(path);
  // OLE plays metafiles in HIMETRIC rather than in their own frame, which
  // draws most of them into a corner; those we play ourselves.
  if (isPlaceableMetafile(bytes)) return loadPlaceableMetafile(bytes, screen_);
  // JPEGs our decoder reads it decodes no larger than they will be drawn;
  // any it refuses OLE reads, or refuses, as it always did.
  if (std::unique_ptr<Picture> jpeg = decodeJpegPicture(bytes, targets, screen_)) return jpeg;
  // Joined once, and left once at the end, whether COM was already started
  // on this thread or not.
  if (!comJoined_) comJoined_ = SUCCEEDED(CoInitialize(nullptr));
  return loadWithOle(bytes, screen_);
}

OlePictureLoader::~OlePictureLoader() {
  if (comJoined_) CoUninitialize();
}

}  // namespace rivano::win
