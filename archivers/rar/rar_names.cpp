#include "archivers/rar/rar_names.h"

#include <cstring>
#include <vector>

#include "archivers/core/utf8.h"

namespace rivano::arc::rar {
namespace {

// UTF-16 code units (Windows wrote surrogate pairs as two units) to UTF-8;
// a lone surrogate becomes U+FFFD rather than invalid UTF-8, and a NUL
// ends the name.
std::string unitsToUtf8(const std::vector<std::uint16_t>& units) {
  std::string out;
  for (std::size_t i = 0; i < units.size(); ++i) {
    std::uint32_t c = units[i];
    if (c == 0) break;
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00u);
      ++i;
    } else if (c >= 0xD800 && c < 0xE000) {
      c = 0xFFFD;
    }
    appendUtf8(out, c);
  }
  return out;
}

}  // namespace

bool isValidUtf8(const std::string& s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<std::uint8_t>(s[i]);
    std::size_t extra = 0;
    std::uint32_t c = 0;
    if (b < 0x80) {
      ++i;
      continue;
    } else if (b >= 0xC2 && b <= 0xDF) {
      extra = 1;
      c = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
      extra = 2;
      c = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      extra = 3;
      c = b & 0x07;
    } else {
      return false;
    }
    if (i + extra >= s.size()) return false;
    for (std::size_t k = 1; k <= extra; ++k) {
      const auto t = static_cast<std::uint8_t>(s[i + k]);
      if ((t & 0xC0) != 0x80) return false;
      c = (c << 6) | (t & 0x3F);
    }
    if ((extra == 2 && (c < 0x800 || (c >= 0xD800 && c < 0xE000))) || (extra == 3 && (c < 0x10000 || c > 0x10FFFF))) {
      return false;
    }
    i += extra + 1;
  }
  return true;
}

void utf8Backslashes(std::string& s) {
  for (char& c : s) {
    if (c == '/') c = '\\';
  }
}

bool unpackUnicodeName(ByteSpan ansi, ByteSpan packed, std::string& utf8) {
  // The packed form never yields more characters than the field has bytes
  // in all; anything asking for more is damage.
  const std::size_t maxUnits = ansi.size() + packed.size() + 1;
  std::vector<std::uint16_t> units;
  std::size_t pos = 0;
  if (packed.empty()) return false;
  const std::uint8_t high = packed[pos++];
  unsigned flags = 0;
  int flagBits = 0;
  while (pos < packed.size() && units.size() < maxUnits) {
    if (flagBits == 0) {
      flags = packed[pos++];
      flagBits = 8;
      if (pos >= packed.size()) break;
    }
    switch ((flags >> 6) & 3) {
      case 0:  // one byte, high byte zero
        units.push_back(packed[pos++]);
        break;
      case 1:  // one byte, high byte from the start of the field
        units.push_back(static_cast<std::uint16_t>(packed[pos++] | (high << 8)));
        break;
      case 2:  // a whole code unit
        if (pos + 2 > packed.size()) return false;
        units.push_back(static_cast<std::uint16_t>(packed[pos] | (packed[pos + 1] << 8)));
        pos += 2;
        break;
      default: {  // a run copied from the code-page name, maybe shifted
        const std::uint8_t length = packed[pos++];
        std::size_t count = (length & 0x7F) + 2u;
        std::uint8_t correction = 0;
        const bool corrected = (length & 0x80) != 0;
        if (corrected) {
          if (pos >= packed.size()) return false;
          correction = packed[pos++];
        }
        for (; count > 0 && units.size() < maxUnits; --count) {
          const std::size_t at = units.size();
          if (at >= ansi.size()) return false;
          if (corrected) {
            units.push_back(static_cast<std::uint16_t>(((ansi[at] + correction) & 0xFF) | (high << 8)));
          } else {
            units.push_back(ansi[at]);
          }
        }
        break;
      }
    }
    flags <<= 2;
    flagBits -= 2;
  }
  utf8 = unitsToUtf8(units);
  return !utf8.empty();
}

DecodedName decodeRar4Name(ByteSpan field, bool unicodeFlag, bool unixHost) {
  DecodedName out;
  const auto* begin = reinterpret_cast<const char*>(field.data());
  const void* nul = field.empty() ? nullptr : std::memchr(field.data(), 0, field.size());
  const std::size_t ansiLength =
      nul ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - field.data()) : field.size();
  out.bytes.assign(begin, ansiLength);
  if (unicodeFlag && nul != nullptr && ansiLength + 1 < field.size()) {
    std::string utf8;
    if (unpackUnicodeName(field.first(ansiLength), field.subspan(ansiLength + 1), utf8) && isValidUtf8(utf8)) {
      out.bytes = std::move(utf8);
      out.utf8 = true;
    }
  } else if ((unicodeFlag || unixHost) && nul == nullptr && isValidUtf8(out.bytes)) {
    // Later versions write UTF-8 alone under the Unicode flag; archivers on
    // Unix write their own (UTF-8) names without it.
    out.utf8 = true;
  }
  if (out.utf8) utf8Backslashes(out.bytes);
  return out;
}

}  // namespace rivano::arc::rar
