#include "platform/collation.h"

#include <windows.h>

namespace rivano::win {

std::string collationKey(const std::wstring& text) {
  constexpr DWORD flags = LCMAP_SORTKEY | NORM_IGNORECASE;
  const int length = static_cast<int>(text.size());
  const int n = LCMapStringW(LOCALE_USER_DEFAULT, flags, text.c_str(), length, nullptr, 0);
  if (n <= 0) return {};
  std::string key(static_cast<std::size_t>(n), '\0');
  LCMapStringW(LOCALE_USER_DEFAULT, flags, text.c_str(), length, reinterpret_cast<wchar_t*>(key.data()), n);
  // The key ends in a NUL byte of its own, which orders nothing.
  while (!key.empty() && key.back() == '\0') key.pop_back();
  return key;
}

bool startsWithIgnoringCase(const std::wstring& prefix, const std::wstring& text) {
  if (prefix.size() > text.size()) return false;
  const int n = static_cast<int>(prefix.size());
  return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, prefix.c_str(), n, text.c_str(), n) == CSTR_EQUAL;
}

}  // namespace rivano::win
