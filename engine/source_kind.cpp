#include "engine/source_kind.h"

#include <array>

namespace rivano {
namespace {

#define SOURCE_KIND(identifier, text, code, verb, largeIcon, smallIcon) \
  {SourceKind::identifier, L"" text, code, L"" verb, largeIcon, smallIcon},
#define ARCHIVER_LIBRARY(code, file, prefix)
constexpr SourceKindRow kRows[] = {
#include "engine/source_kinds.def"
};
#undef SOURCE_KIND
#undef ARCHIVER_LIBRARY

#define SOURCE_KIND(identifier, text, code, verb, largeIcon, smallIcon)
#define ARCHIVER_LIBRARY(code, file, prefix) {code, file, prefix},
constexpr ArchiverLibrary kLibraries[] = {
#include "engine/source_kinds.def"
};
#undef SOURCE_KIND
#undef ARCHIVER_LIBRARY

// The enumeration is made from the same rows, so a row's place is its
// value less one; checked here once rather than searched for on each call.
constexpr bool rowsFollowTheEnumeration() {
  for (std::size_t i = 0; i < std::size(kRows); ++i)
    if (static_cast<std::size_t>(kRows[i].kind) != i + 1) return false;
  return true;
}
static_assert(rowsFollowTheEnumeration());

}  // namespace

std::span<const SourceKindRow> sourceKindRows() { return kRows; }
std::span<const ArchiverLibrary> archiverLibraries() { return kLibraries; }

const SourceKindRow* rowOf(SourceKind kind) {
  const int index = rowIndexOf(kind);
  return index < 0 ? nullptr : &kRows[index];
}

int rowIndexOf(SourceKind kind) {
  const auto value = static_cast<std::size_t>(kind);
  return value == 0 || value > std::size(kRows) ? -1 : static_cast<int>(value - 1);
}

std::wstring_view kindText(SourceKind kind) {
  const SourceKindRow* row = rowOf(kind);
  return row ? row->text : std::wstring_view();
}

SourceKind kindFromText(std::wstring_view text) {
  for (const SourceKindRow& row : kRows)
    if (row.text == text) return row.kind;
  return SourceKind::none;
}

bool isArchive(SourceKind kind) {
  const SourceKindRow* row = rowOf(kind);
  return row != nullptr && row->libraryCode != 0;
}

const ArchiverLibrary* libraryOf(SourceKind kind) {
  const SourceKindRow* row = rowOf(kind);
  return row ? libraryWithCode(row->libraryCode) : nullptr;
}

const ArchiverLibrary* libraryWithCode(int code) {
  if (code == 0) return nullptr;
  for (const ArchiverLibrary& library : kLibraries)
    if (library.code == code) return &library;
  return nullptr;
}

std::wstring archivePattern() {
  std::wstring pattern;
  for (const SourceKindRow& row : kRows) {
    if (row.libraryCode == 0) continue;
    if (!pattern.empty()) pattern += L';';
    pattern += L"*.";
    pattern += row.text;
  }
  return pattern;
}

}  // namespace rivano
