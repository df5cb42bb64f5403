// The parts of archive listing and extraction that are plain text work:
// the column texts of a member, the extraction command line, and which
// member names may be extracted at all.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/source_kind.h"

namespace rivano {

// Right-aligned in nine characters. A size of ten digits does not fit the
// column and raises the overflow run-time error instead of losing digits.
std::wstring memberSizeText(std::uint32_t size);
// "yyyy/mm/dd" from an MS-DOS date.
std::wstring memberDateText(std::uint16_t dosDate);
// The first four characters, lower case ("-A--" gives "-a--").
std::wstring memberAttributeText(std::wstring_view attribute);

// True when the name, put under a folder, stays inside it: no drive or
// stream colon, no leading separator, no ".." (or dots-only) component, no
// empty component, and nothing the file system or the quoted command line
// would read specially (quotes, wildcards, control characters).
bool memberNameStaysInside(std::wstring_view member);

// The one extraction command of the library for `kind`; empty for a kind
// without a library.
std::wstring extractCommandLine(SourceKind kind, std::wstring_view archivePath,
                                std::wstring_view folder, std::wstring_view member);

}  // namespace rivano
