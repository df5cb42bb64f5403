#include "app/command_line.h"

#include "engine/path_kind.h"

namespace rivano {
namespace {

std::wstring_view withoutLeadingSpaces(std::wstring_view text) {
  while (!text.empty() && text.front() == L' ') text.remove_prefix(1);
  return text;
}

std::wstring_view withoutEnclosingQuotes(std::wstring_view text) {
  if (text.size() >= 2 && text.front() == L'"' && text.back() == L'"')
    return text.substr(1, text.size() - 2);
  return text;
}

}  // namespace

std::wstring argumentText(std::wstring_view line) {
  std::size_t i = 0;
  if (i < line.size() && line[i] == L'"') {
    ++i;
    while (i < line.size() && line[i] != L'"') ++i;
    if (i < line.size()) ++i;
  } else {
    while (i < line.size() && line[i] != L' ' && line[i] != L'\t') ++i;
  }
  // One separator belongs to the program name; further blanks are the
  // arguments' own.
  if (i < line.size() && (line[i] == L' ' || line[i] == L'\t')) ++i;
  return std::wstring(line.substr(i));
}

std::wstring preparedCommandLine(std::wstring_view arguments) {
  return upperAscii(withoutLeadingSpaces(arguments));
}

RunKind dispatchKind(const std::wstring& prepared) {
  if (prepared == L"/S") return RunKind::silent;
  if (prepared == L"/N") return RunKind::noRandom;
  if (prepared.empty()) return RunKind::interactive;
  return isPictureName(withoutEnclosingQuotes(prepared)) ? RunKind::picture : RunKind::nothing;
}

std::wstring picturePath(std::wstring_view arguments) {
  return std::wstring(withoutEnclosingQuotes(withoutLeadingSpaces(arguments)));
}

}  // namespace rivano
