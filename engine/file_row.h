// The columns of a picture file in a folder as the picture list shows them.
#pragma once

#include <cstdint>
#include <string>

namespace rivano {

// Right-aligned in twelve characters, so that text order is size order.
std::wstring fileSizeText(std::uint64_t size);
std::wstring fileDateText(int year, int month, int day);  // "yyyy/mm/dd"
// "r", "h", "s", "a" or "-" each, from the file-system attribute bits.
std::wstring fileAttributeText(std::uint32_t attributes);

}  // namespace rivano
