// Finds the packed data of the members of RAR sample archives, so that the
// decoder tests need no container reader: just enough of the RAR 5 and the
// RAR 1.5-4 headers for unencrypted single-volume archives.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archivers/core/archive_format.h"

namespace rivano::arc::test {

struct RarSampleMember {
  std::string name;
  ByteSpan packed;
  std::uint64_t unpackedSize = 0;
  std::uint32_t crc = 0;
  std::uint64_t dictionary = 0;
  unsigned version = 0;  // RAR 5: algorithm version; older: unpack version (15, 20, 29 ...)
  unsigned method = 0;   // 0 stored
  bool solid = false;
  bool isFolder = false;
};

// Empty when the bytes are not an archive of the kind these tests use.
std::vector<RarSampleMember> walkRar5(ByteSpan archive);
std::vector<RarSampleMember> walkRar4(ByteSpan archive);

}  // namespace rivano::arc::test
