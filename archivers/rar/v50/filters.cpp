#include "archivers/rar/v50/filters.h"

#include <cstring>

namespace rivano::arc::rar5 {
namespace {

std::uint32_t get32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}

void put32(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
  p[2] = static_cast<std::uint8_t>(v >> 16);
  p[3] = static_cast<std::uint8_t>(v >> 24);
}

// The writer turned relative call (and jump) targets into absolute ones
// within a 16 MiB address space; this turns them back.
void x86(std::uint8_t* data, std::size_t size, std::uint64_t fileOffset, bool jumpsToo) {
  constexpr std::uint32_t kSpace = 0x1000000;
  const auto base = static_cast<std::uint32_t>(fileOffset);
  for (std::size_t i = 0; i + 4 < size;) {
    const std::uint8_t op = data[i++];
    if (op != 0xe8 && !(jumpsToo && op == 0xe9)) continue;
    const std::uint32_t offset = (base + static_cast<std::uint32_t>(i)) % kSpace;
    const std::uint32_t addr = get32(data + i);
    if (addr & 0x80000000u) {
      if (((addr + offset) & 0x80000000u) == 0) put32(data + i, addr + kSpace);
    } else if ((addr - kSpace) & 0x80000000u) {
      put32(data + i, addr - offset);
    }
    i += 4;
  }
}

// BL instructions (condition "always") carry a word offset in 24 bits.
void arm(std::uint8_t* data, std::size_t size, std::uint64_t fileOffset) {
  const auto base = static_cast<std::uint32_t>(fileOffset);
  for (std::size_t i = 0; i + 3 < size; i += 4) {
    std::uint8_t* d = data + i;
    if (d[3] != 0xeb) continue;
    std::uint32_t target = d[0] | std::uint32_t{d[1]} << 8 | std::uint32_t{d[2]} << 16;
    target -= (base + static_cast<std::uint32_t>(i)) / 4;
    d[0] = static_cast<std::uint8_t>(target);
    d[1] = static_cast<std::uint8_t>(target >> 8);
    d[2] = static_cast<std::uint8_t>(target >> 16);
  }
}

// The writer stored each channel's bytes together as differences.
void delta(std::uint8_t* data, std::size_t size, unsigned channels, std::uint8_t* scratch) {
  std::size_t src = 0;
  for (unsigned c = 0; c < channels; ++c) {
    std::uint8_t prev = 0;
    for (std::size_t dst = c; dst < size; dst += channels) {
      prev = static_cast<std::uint8_t>(prev - data[src++]);
      scratch[dst] = prev;
    }
  }
  std::memcpy(data, scratch, size);
}

}  // namespace

void applyFilter(const Filter& f, std::uint8_t* data, std::size_t size, std::uint64_t fileOffset,
                 std::uint8_t* scratch) {
  switch (f.type) {
    case FilterType::e8: x86(data, size, fileOffset, false); break;
    case FilterType::e8e9: x86(data, size, fileOffset, true); break;
    case FilterType::arm: arm(data, size, fileOffset); break;
    case FilterType::delta: delta(data, size, f.channels, scratch); break;
  }
}

}  // namespace rivano::arc::rar5
