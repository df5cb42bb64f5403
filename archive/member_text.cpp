#include "archive/member_text.h"

#include <cwchar>

#include "common/run_error.h"

namespace rivano {

std::wstring memberSizeText(std::uint32_t size) {
  constexpr std::size_t width = 9;
  std::wstring digits = std::to_wstring(size);
  if (digits.size() > width) throw RunError(err::overflow, "member size does not fit its column");
  return std::wstring(width - digits.size(), L' ') + digits;
}

std::wstring memberDateText(std::uint16_t dosDate) {
  const unsigned year = 1980u + (dosDate >> 9);
  const unsigned month = (dosDate >> 5) & 0x0Fu;
  const unsigned day = dosDate & 0x1Fu;
  wchar_t text[16] = {};
  std::swprintf(text, std::size(text), L"%u/%02u/%02u", year, month, day);
  return text;
}

std::wstring memberAttributeText(std::wstring_view attribute) {
  std::wstring out(attribute.substr(0, 4));
  for (wchar_t& c : out)
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  return out;
}

bool memberNameStaysInside(std::wstring_view member) {
  if (member.empty() || member.front() == L'\\' || member.front() == L'/') return false;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = member.find_first_of(L"\\/", start);
    const std::wstring_view part = member.substr(start, end == std::wstring_view::npos ? end : end - start);
    // Windows drops trailing dots and blanks, so "..." and ". ." are ".."
    // by the time the file system sees them.
    if (part.find_first_not_of(L". ") == std::wstring_view::npos) return false;
    for (wchar_t c : part)
      if (c < 0x20 || std::wcschr(L":\"<>|?*", c) != nullptr) return false;
    if (end == std::wstring_view::npos) return true;
    start = end + 1;
  }
}

std::wstring extractCommandLine(SourceKind kind, std::wstring_view archivePath,
                                std::wstring_view folder, std::wstring_view member) {
  if (!isArchive(kind)) return {};
  std::wstring command(rowOf(kind)->extractVerb);
  command += L'"';
  command += archivePath;
  command += L"\" \"";
  command += folder;
  command += L"\\\" \"";
  command += member;
  command += L'"';
  return command;
}

}  // namespace rivano
