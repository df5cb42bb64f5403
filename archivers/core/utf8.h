// Names that archives carry in UTF-16 or as code points reach the library
// shell as UTF-8 (MemberEntry::nameIsUtf8), which converts them for callers.
#pragma once

#include <cstdint>
#include <string>

namespace rivano::arc {

// Appends one code point (at most U+10FFFF) in UTF-8.
void appendUtf8(std::string& out, std::uint32_t codePoint);

}  // namespace rivano::arc
