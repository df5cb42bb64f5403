// Member names as paths: splitting them into folder parts, comparing them,
// and placing them under an extraction folder without ever leaving it.
// Names are bytes in the ANSI code page; on Japanese systems that is
// Shift_JIS, whose second byte may be 0x5C ('\'), so splitting must step over
// double-byte characters instead of looking at single bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rivano::arc {

using LeadBytePredicate = bool (*)(std::uint8_t);

bool isCp932LeadByte(std::uint8_t b) noexcept;
bool isSingleByte(std::uint8_t b) noexcept;  // for single-byte code pages: never a lead byte

// Folder parts of a name, split at '/' and '\' outside double-byte
// characters; empty parts (from "a//b" or a trailing '/') are kept as "".
std::vector<std::string> splitMemberPath(std::string_view name, LeadBytePredicate isLead);

// '/' becomes '\', the separator of the names the program is given.
std::string toBackslashes(std::string_view name, LeadBytePredicate isLead);

// True when both name the same member, '/' and '\' being the same separator.
bool sameMemberName(std::string_view a, std::string_view b, LeadBytePredicate isLead);

struct PlacedPath {
  std::string file;                  // destination + member, '\' separated
  std::string parent;                // the folder `file` goes into, ending in '\'
  std::vector<std::string> folders;  // folders to create first, outermost first
};

enum class Placement {
  placed,
  unsafe,   // the name would leave the destination or is no Windows name
  tooLong,  // a safe name whose path reaches MAX_PATH
};

// Places `member` under `destination`. Refused as unsafe: an empty name, a
// name starting with '\' or '/', any ':' (drive letters, alternate streams),
// a ".." part or any part made of dots and blanks only (Windows trims those
// to ".."), control characters or <>|?*" in a part, a lead byte followed by
// a byte below 0x40 (no character of any double-byte code page), device
// names (CON, NUL, COM1 ...) and a name that ends in a separator. Refused
// as too long: a path of MAX_PATH or more, or a part of more than 255
// bytes, from a name otherwise safe.
Placement placeMember(std::string_view destination, std::string_view member, LeadBytePredicate isLead,
                      PlacedPath& out);

// True when placeMember places it.
bool placeUnder(std::string_view destination, std::string_view member, LeadBytePredicate isLead,
                PlacedPath& out);

}  // namespace rivano::arc
