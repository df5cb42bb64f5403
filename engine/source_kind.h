// The kinds of wallpaper source (a folder, each archive kind) and the
// archiver libraries, as one table read from engine/source_kinds.def.
// Everything that differs from one kind to another is a column here.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace rivano {

#define SOURCE_KIND(identifier, text, code, verb, largeIcon, smallIcon) identifier,
#define ARCHIVER_LIBRARY(code, file, prefix)
enum class SourceKind : std::uint8_t {
  none,  // no usable source: a plain file that is no archive, or nothing at all
#include "engine/source_kinds.def"
};
#undef SOURCE_KIND
#undef ARCHIVER_LIBRARY

struct SourceKindRow {
  SourceKind kind;
  std::wstring_view text;         // shown in the folder list; an archive's ending
  std::int16_t libraryCode;       // 0 for the folder
  std::wstring_view extractVerb;  // the extraction command's first word(s)
  int largeIcon;                  // bitmap resources of the folder list's icons
  int smallIcon;
};

struct ArchiverLibrary {
  std::int16_t code;
  std::string_view file;    // loaded as <file>.dll
  std::string_view prefix;  // of every exported function
};

// Every kind but `none`, folder first, then the archives in the order a
// path's ending is tried.
std::span<const SourceKindRow> sourceKindRows();
std::span<const ArchiverLibrary> archiverLibraries();

// The row of a kind; null for `none`.
const SourceKindRow* rowOf(SourceKind kind);
// Its position among the rows (the folder list's image index), -1 for `none`.
int rowIndexOf(SourceKind kind);
// "DIR", "LZH" ...; empty for `none`.
std::wstring_view kindText(SourceKind kind);
// The kind a shown text names; `none` for any other text.
SourceKind kindFromText(std::wstring_view text);
bool isArchive(SourceKind kind);
// The library of an archive kind; null for the folder, `none` and a code
// that names no library.
const ArchiverLibrary* libraryOf(SourceKind kind);
const ArchiverLibrary* libraryWithCode(int code);

// The open dialog's pattern for every archive kind: "*.LZH;*.ARJ;...".
std::wstring archivePattern();

}  // namespace rivano
