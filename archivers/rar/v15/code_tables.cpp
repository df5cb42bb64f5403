#include "archivers/rar/v15/code_tables.h"

#include <array>

namespace rivano::arc::rar15::detail {
namespace {

struct CodeShape {
  unsigned shortest;               // bits of the shortest code
  std::array<std::uint32_t, 12> bounds;  // exclusive upper bounds per length, 0xffff ends
  std::array<std::uint16_t, 13> first;   // value of the first code of each bit count
};

// The constants of the format (lengths, then the three place codes used
// for bytes, distances and flags, ordered by how skewed they are).
constexpr CodeShape kShapes[] = {
    {2, {0x8000, 0xa000, 0xc000, 0xd000, 0xe000, 0xea00, 0xee00, 0xf000, 0xf200, 0xf200, 0xffff},
     {0, 0, 0, 2, 3, 5, 7, 11, 16, 20, 24, 32, 32}},
    {3, {0xa000, 0xc000, 0xd000, 0xe000, 0xea00, 0xee00, 0xf000, 0xf200, 0xf240, 0xffff},
     {0, 0, 0, 0, 5, 7, 9, 13, 18, 22, 26, 34, 36}},
    {4, {0x8000, 0xc000, 0xe000, 0xf200, 0xf200, 0xf200, 0xf200, 0xf200, 0xffff},
     {0, 0, 0, 0, 0, 8, 16, 24, 33, 33, 33, 33, 33}},
    {5, {0x2000, 0xc000, 0xe000, 0xf000, 0xf200, 0xf200, 0xf7e0, 0xffff},
     {0, 0, 0, 0, 0, 0, 4, 44, 60, 76, 80, 80, 127}},
    {5, {0x1000, 0x2400, 0x8000, 0xc000, 0xfa00, 0xffff, 0xffff, 0xffff},
     {0, 0, 0, 0, 0, 0, 2, 7, 53, 117, 233, 0, 0}},
    {6, {0x0800, 0x2400, 0xee00, 0xfe80, 0xffff, 0xffff, 0xffff},
     {0, 0, 0, 0, 0, 0, 0, 2, 16, 218, 251, 0, 0}},
    {8, {0xff00, 0xffff, 0xffff, 0xffff, 0xffff, 0xffff},
     {0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 0, 0, 0}},
};

CodeEntry decodeSlow(const CodeShape& s, std::uint32_t top) {
  unsigned bits = s.shortest;
  unsigned i = 0;
  while (s.bounds[i] <= top) {
    ++bits;
    ++i;
  }
  const std::uint32_t below = i ? s.bounds[i - 1] : 0;
  return {static_cast<std::uint16_t>(((top - below) >> (16 - bits)) + s.first[bits]), static_cast<std::uint8_t>(bits)};
}

struct Tables {
  CodeEntry entries[7][4096];
  Tables() {
    for (unsigned c = 0; c < 7; ++c) {
      for (std::uint32_t n = 0; n < 4096; ++n) entries[c][n] = decodeSlow(kShapes[c], n << 4);
    }
  }
};

}  // namespace

const CodeEntry* table(Code code) {
  static const Tables tables;
  return tables.entries[static_cast<unsigned>(code)];
}

}  // namespace rivano::arc::rar15::detail
