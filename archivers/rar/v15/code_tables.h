// The fixed prefix codes of RAR 1.5. Each is given in the format by the
// upper bounds of its code lengths' ranges (a 16-bit window compared from
// the top) and the first value of each length; only the top 12 bits of the
// window decide a code, so each is expanded once into a 4096-entry table.
#pragma once

#include <cstdint>

namespace rivano::arc::rar15 {

enum class Code : std::uint8_t { length1, length2, place0, place1, place2, place3, place4 };

struct CodeEntry {
  std::uint16_t value;
  std::uint8_t bits;
};

namespace detail {
const CodeEntry* table(Code code);
}

// `window` is the next 16 bits of the stream.
inline const CodeEntry& lookUp(Code code, std::uint32_t window) { return detail::table(code)[(window >> 4) & 0xfff]; }

}  // namespace rivano::arc::rar15
