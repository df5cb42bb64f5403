#include "archivers/rar/v29/filters.h"

#include <cstdlib>
#include <cstring>

#include "archivers/core/crc32.h"

namespace rivano::arc::rar {
namespace {

struct KnownProgram {
  std::size_t length;
  std::uint32_t crc;
  FilterKind kind;
};
constexpr KnownProgram kKnown[] = {
    {53, 0xad576887, FilterKind::e8},     {57, 0x3cd7e57e, FilterKind::e8e9}, {120, 0x3769893f, FilterKind::itanium},
    {29, 0x0e06077d, FilterKind::delta},  {149, 0x1c2c5dc8, FilterKind::rgb}, {216, 0xbc85e701, FilterKind::audio},
};

std::uint32_t get32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[3]} << 24);
}
void put32(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
  p[2] = static_cast<std::uint8_t>(v >> 16);
  p[3] = static_cast<std::uint8_t>(v >> 24);
}

// x86 CALL (and JMP) targets were made relative to the position; undo it.
bool x86(std::uint8_t* data, std::uint32_t length, std::uint32_t fileOffset, bool jumpsToo) {
  if (length < 4) return true;
  constexpr std::uint32_t kFileSize = 0x1000000;
  const std::uint8_t second = jumpsToo ? 0xe9 : 0xe8;
  for (std::uint32_t pos = 0; pos < length - 4;) {
    const std::uint8_t b = data[pos++];
    if (b != 0xe8 && b != second) continue;
    const std::uint32_t offset = pos + fileOffset;
    const std::uint32_t addr = get32(data + pos);
    if ((addr & 0x80000000u) != 0) {
      if (((addr + offset) & 0x80000000u) == 0) put32(data + pos, addr + kFileSize);
    } else if (((addr - kFileSize) & 0x80000000u) != 0) {
      put32(data + pos, addr - offset);
    }
    pos += 4;
  }
  return true;
}

std::uint32_t getBits(const std::uint8_t* data, unsigned bitPos, unsigned count) {
  const std::uint32_t v = get32(data + bitPos / 8) >> (bitPos & 7);
  return v & (0xffffffffu >> (32 - count));
}
void setBits(std::uint8_t* data, std::uint32_t value, unsigned bitPos, unsigned count) {
  const unsigned at = bitPos / 8, shift = bitPos & 7;
  std::uint32_t andMask = ~((0xffffffffu >> (32 - count)) << shift);
  value <<= shift;
  for (unsigned i = 0; i < 4; ++i) {
    data[at + i] = static_cast<std::uint8_t>((data[at + i] & andMask) | value);
    andMask = (andMask >> 8) | 0xff000000u;
    value >>= 8;
  }
}

// IA-64 bundles: branch targets in slots of the listed templates.
bool itanium(std::uint8_t* data, std::uint32_t length, std::uint32_t fileOffset) {
  if (length < 21) return true;
  static constexpr std::uint8_t kMasks[16] = {4, 4, 6, 6, 0, 0, 7, 7, 4, 4, 0, 0, 4, 4, 0, 0};
  fileOffset >>= 4;
  for (std::uint32_t pos = 0; pos < length - 21; pos += 16, data += 16, ++fileOffset) {
    const int b = (data[0] & 0x1f) - 0x10;
    if (b < 0) continue;
    const std::uint8_t mask = kMasks[b];
    for (unsigned i = 0; i <= 2; ++i) {
      if ((mask & (1u << i)) == 0) continue;
      const unsigned start = i * 41 + 5;
      if (getBits(data, start + 37, 4) != 5) continue;
      const std::uint32_t offset = getBits(data, start + 13, 20);
      setBits(data, (offset - fileOffset) & 0xfffff, start + 13, 20);
    }
  }
  return true;
}

bool delta(std::uint8_t* mem, std::uint32_t length, std::uint32_t channels) {
  if (length > kFilterMemory / 2 || channels == 0 || channels > 1024) return false;
  std::uint32_t src = 0;
  for (std::uint32_t c = 0; c < channels; ++c) {
    std::uint8_t prev = 0;
    for (std::uint32_t dst = length + c; dst < 2 * length; dst += channels) mem[dst] = prev = static_cast<std::uint8_t>(prev - mem[src++]);
  }
  return true;
}

bool rgb(std::uint8_t* mem, std::uint32_t length, std::uint32_t stride, std::uint32_t posR) {
  if (length > kFilterMemory / 2 || length < 3 || stride < 3 || stride - 3 > length || posR > 2) return false;
  const std::uint32_t width = stride - 3;
  const std::uint8_t* src = mem;
  std::uint8_t* dst = mem + length;
  for (std::uint32_t c = 0; c < 3; ++c) {
    unsigned prev = 0;
    for (std::uint32_t i = c; i < length; i += 3) {
      unsigned predicted = prev;
      if (i >= width + 3) {
        const std::uint8_t* upper = dst + i - width;
        const unsigned up = upper[0], upLeft = *(upper - 3);
        predicted = prev + up - upLeft;
        const int pa = std::abs(static_cast<int>(predicted - prev));
        const int pb = std::abs(static_cast<int>(predicted - up));
        const int pc = std::abs(static_cast<int>(predicted - upLeft));
        if (pa <= pb && pa <= pc) {
          predicted = prev;
        } else if (pb <= pc) {
          predicted = up;
        } else {
          predicted = upLeft;
        }
      }
      dst[i] = static_cast<std::uint8_t>(predicted - *src++);
      prev = dst[i];
    }
  }
  for (std::uint32_t i = posR; i + 2 < length; i += 3) {
    const std::uint8_t g = dst[i + 1];
    dst[i] = static_cast<std::uint8_t>(dst[i] + g);
    dst[i + 2] = static_cast<std::uint8_t>(dst[i + 2] + g);
  }
  return true;
}

bool audio(std::uint8_t* mem, std::uint32_t length, std::uint32_t channels) {
  if (length > kFilterMemory / 2 || channels == 0 || channels > 128) return false;
  const std::uint8_t* src = mem;
  std::uint8_t* dst = mem + length;
  for (std::uint32_t c = 0; c < channels; ++c) {
    unsigned prevByte = 0, prevDelta = 0;
    unsigned dif[7] = {};
    int d1 = 0, d2 = 0, d3 = 0, k1 = 0, k2 = 0, k3 = 0;
    for (std::uint32_t i = c, count = 0; i < length; i += channels, ++count) {
      d3 = d2;
      d2 = static_cast<int>(prevDelta) - d1;
      d1 = static_cast<int>(prevDelta);
      unsigned predicted = 8 * prevByte + static_cast<unsigned>(k1 * d1 + k2 * d2 + k3 * d3);
      predicted = (predicted >> 3) & 0xff;
      const unsigned cur = *src++;
      predicted = (predicted - cur) & 0xff;
      dst[i] = static_cast<std::uint8_t>(predicted);
      prevDelta = static_cast<unsigned>(static_cast<int>(static_cast<std::int8_t>(predicted - prevByte)));
      prevByte = predicted;
      const int d = static_cast<int>(static_cast<std::int8_t>(cur)) * 8;
      dif[0] += static_cast<unsigned>(std::abs(d));
      dif[1] += static_cast<unsigned>(std::abs(d - d1));
      dif[2] += static_cast<unsigned>(std::abs(d + d1));
      dif[3] += static_cast<unsigned>(std::abs(d - d2));
      dif[4] += static_cast<unsigned>(std::abs(d + d2));
      dif[5] += static_cast<unsigned>(std::abs(d - d3));
      dif[6] += static_cast<unsigned>(std::abs(d + d3));
      if ((count & 0x1f) == 0) {
        unsigned minDif = dif[0], best = 0;
        dif[0] = 0;
        for (unsigned j = 1; j < 7; ++j) {
          if (dif[j] < minDif) {
            minDif = dif[j];
            best = j;
          }
          dif[j] = 0;
        }
        switch (best) {
          case 1: if (k1 >= -16) --k1; break;
          case 2: if (k1 < 16) ++k1; break;
          case 3: if (k2 >= -16) --k2; break;
          case 4: if (k2 < 16) ++k2; break;
          case 5: if (k3 >= -16) --k3; break;
          case 6: if (k3 < 16) ++k3; break;
          default: break;
        }
      }
    }
  }
  return true;
}

}  // namespace

std::optional<FilterKind> recogniseFilter(const std::uint8_t* code, std::size_t size) {
  if (size == 0) return std::nullopt;
  std::uint8_t x = 0;
  for (std::size_t i = 1; i < size; ++i) x ^= code[i];
  if (x != code[0]) return std::nullopt;
  const std::uint32_t crc = crc32Update(0, code, size);
  for (const KnownProgram& k : kKnown) {
    if (k.length == size && k.crc == crc) return k.kind;
  }
  return std::nullopt;
}

bool runFilter(FilterKind kind, std::uint8_t* memory, std::uint32_t length, const std::uint32_t (&r)[7],
               std::uint32_t fileOffset, const std::uint8_t*& output) {
  if (length > kMaxFilterBlock) return false;
  output = memory;
  switch (kind) {
    case FilterKind::e8: return x86(memory, length, fileOffset, false);
    case FilterKind::e8e9: return x86(memory, length, fileOffset, true);
    case FilterKind::itanium: return itanium(memory, length, fileOffset);
    case FilterKind::delta:
      output = memory + length;
      return delta(memory, length, r[0]);
    case FilterKind::rgb:
      output = memory + length;
      return rgb(memory, length, r[0], r[1]);
    case FilterKind::audio:
      output = memory + length;
      return audio(memory, length, r[0]);
  }
  return false;
}

}  // namespace rivano::arc::rar
