// Member names of the RAR 1.5-4.x headers. The name field holds the name in
// the archiver's code page; with the Unicode flag it is either UTF-8 alone
// or that name, a NUL, and the Unicode name packed against it.
#pragma once

#include <cstdint>
#include <string>

#include "archivers/core/archive_format.h"

namespace rivano::arc::rar {

struct DecodedName {
  std::string bytes;
  bool utf8 = false;
};

DecodedName decodeRar4Name(ByteSpan field, bool unicodeFlag, bool unixHost);

// The packed Unicode form: `ansi` is the part before the NUL, `packed` the
// part after it. Returns UTF-8; false when the packed data is inconsistent.
bool unpackUnicodeName(ByteSpan ansi, ByteSpan packed, std::string& utf8);

bool isValidUtf8(const std::string& s);

// '/' to '\' (safe in UTF-8, where every byte of a multi-byte character is
// 0x80 or above).
void utf8Backslashes(std::string& s);

}  // namespace rivano::arc::rar
