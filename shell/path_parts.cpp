#include "shell/path_parts.h"

#include "engine/path_kind.h"

namespace rivano {

std::wstring folderOfPath(std::wstring_view path) {
  const std::size_t at = path.rfind(L'\\');
  if (at == std::wstring_view::npos) return {};
  return std::wstring(path.substr(0, at));
}

std::wstring fileNameOfPath(std::wstring_view path) {
  if (path.empty() || path.back() == L'\\') return {};
  const std::size_t at = path.rfind(L'\\');
  // A bare name has no backslash and so, by the rule the callers rely on,
  // no file part either.
  if (at == std::wstring_view::npos) return {};
  return std::wstring(path.substr(at + 1));
}

std::wstring extensionOfPath(std::wstring_view path) {
  for (std::size_t i = path.size(); i-- > 0;) {
    const wchar_t c = path[i];
    if (c == L'.') return upperAscii(path.substr(i + 1));
    if (c == L'\\' || c == L'/') return {};
  }
  return {};
}

std::wstring withBackslash(std::wstring path) {
  if (path.empty() || path.back() != L'\\') path += L'\\';
  return path;
}

}  // namespace rivano
