#include "engine/path_kind.h"

#include <array>

namespace rivano {
namespace {

std::wstring lastUpper(std::wstring_view path, std::size_t count) {
  return upperAscii(path.size() <= count ? path : path.substr(path.size() - count));
}

}  // namespace

std::wstring upperAscii(std::wstring_view text) {
  std::wstring out(text);
  for (wchar_t& c : out)
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  return out;
}

SourceKind archiveKindOf(std::wstring_view path) {
  const std::wstring tail = lastUpper(path, 3);
  for (const SourceKindRow& row : sourceKindRows())
    if (row.libraryCode != 0 && tail == row.text) return row.kind;
  return SourceKind::none;
}

bool isPictureName(std::wstring_view path) {
  // "JPEG" has no dot so that a four-letter extension is caught by its last
  // four characters.
  static constexpr std::array<std::wstring_view, 8> endings = {L".BMP", L".GIF", L".JPG", L".JPE",
                                                               L"JPEG", L".ICO", L".WMF", L".PNG"};
  const std::wstring tail = lastUpper(path, 4);
  for (std::wstring_view ending : endings)
    if (tail == ending) return true;
  return false;
}

}  // namespace rivano
