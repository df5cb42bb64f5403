#include "platform/png_file.h"

#include <windows.h>

#include <array>
#include <limits>

#include "common/run_error.h"
#include "engine/png_picture.h"
#include "platform/unique_handle.h"

namespace rivano::win {
namespace {

UniqueFile openShared(const std::wstring& path) {
  // Others may go on reading, writing or deleting it meanwhile, as with a
  // file read whole.
  return UniqueFile(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

class FileSource final : public png::ByteSource {
 public:
  explicit FileSource(UniqueFile file) : file_(std::move(file)) {
    LARGE_INTEGER length{};
    if (GetFileSizeEx(file_.get(), &length)) size_ = static_cast<std::uint64_t>(length.QuadPart);
  }

  std::uint64_t size() const override { return size_; }

  bool read(std::uint64_t offset, std::span<std::uint8_t> out) override {
    if (out.size() > std::numeric_limits<DWORD>::max()) return false;
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD read = 0;
    return ReadFile(file_.get(), out.data(), static_cast<DWORD>(out.size()), &read, &at) && read == out.size();
  }

 private:
  UniqueFile file_;
  std::uint64_t size_ = 0;
};

// What transparent parts of a picture are drawn over: the desktop's own
// colour, which shows round the wallpaper too. 0x00RRGGBB.
std::uint32_t desktopBackground() {
  const COLORREF colour = GetSysColor(COLOR_BACKGROUND);
  return std::uint32_t{GetRValue(colour)} << 16 | std::uint32_t{GetGValue(colour)} << 8 | GetBValue(colour);
}

}  // namespace

std::unique_ptr<Picture> loadPngFile(const std::wstring& path, const DrawTargets& targets,
                                     const ScreenMetrics& screen) {
  UniqueFile file = openShared(path);
  if (!file) return nullptr;
  std::array<std::uint8_t, 8> signature{};
  DWORD read = 0;
  if (!ReadFile(file.get(), signature.data(), static_cast<DWORD>(signature.size()), &read, nullptr) ||
      read != signature.size() || !looksLikePng(signature))
    return nullptr;
  auto first = std::make_shared<UniqueFile>(std::move(file));
  // The first decode reads the file already open; a later one, at another
  // size, opens it again.
  PngOpener open = [path, first]() -> std::unique_ptr<png::ByteSource> {
    if (*first) return std::make_unique<FileSource>(std::move(*first));
    UniqueFile again = openShared(path);
    if (!again) throw RunError(GetLastError() == ERROR_FILE_NOT_FOUND ? err::fileNotFound : err::pathFileAccess);
    return std::make_unique<FileSource>(std::move(again));
  };
  return decodePngPicture(std::move(open), targets, screen, desktopBackground());
}

}  // namespace rivano::win
