#include "platform/string_table.h"

#include <windows.h>

namespace rivano::win {

std::wstring loadString(int id) {
  // With a zero buffer size LoadStringW hands out a pointer into the
  // resource itself, so texts of any length come through whole.
  const wchar_t* text = nullptr;
  const int length = LoadStringW(GetModuleHandleW(nullptr), static_cast<UINT>(id),
                                 reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || text == nullptr) return {};
  return std::wstring(text, static_cast<std::size_t>(length));
}

}  // namespace rivano::win
