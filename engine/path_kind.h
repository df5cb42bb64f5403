// Sorting of paths by name alone: archive kinds by their last three
// characters, pictures by their last four. Neither touches the disk.
#pragma once

#include <string>
#include <string_view>

#include "engine/source_kind.h"

namespace rivano {

// The archive kind whose text the name ends in, any case; `none` for any
// other name. Only the three characters count, not a dot: "backupzip" is a
// ZIP and "a.tar.gz" nothing.
SourceKind archiveKindOf(std::wstring_view path);
// True for names ending in .BMP .GIF .JPG .JPE JPEG .ICO .WMF .PNG, any case.
bool isPictureName(std::wstring_view path);

// Upper case for the comparisons above. Only ASCII letters change: in the
// Japanese code page no other character upper-cases to an ASCII letter, so
// the tests cannot tell this apart from the locale's full conversion.
std::wstring upperAscii(std::wstring_view text);

}  // namespace rivano
