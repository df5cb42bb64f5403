#include "engine/file_row.h"

#include <cstdio>

#include "common/run_error.h"

namespace rivano {

std::wstring fileSizeText(std::uint64_t size) {
  std::wstring digits = std::to_wstring(size);
  if (digits.size() > 12) throw RunError(err::overflow);
  return std::wstring(12 - digits.size(), L' ') + digits;
}

std::wstring fileDateText(int year, int month, int day) {
  wchar_t text[16];
  std::swprintf(text, 16, L"%04d/%02d/%02d", year, month, day);
  return text;
}

std::wstring fileAttributeText(std::uint32_t a) {
  std::wstring text = L"----";
  if (a & 0x01) text[0] = L'r';
  if (a & 0x02) text[1] = L'h';
  if (a & 0x04) text[2] = L's';
  if (a & 0x20) text[3] = L'a';
  return text;
}

}  // namespace rivano
