// Small RAR archives assembled in memory for the reader's tests: both
// container layouts, stored members with correct checksums, and the header
// variants (links, service headers, encryption and volume flags, packed
// Unicode names) no archiver on this machine can write.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rivano::arc::test {

struct RarMember {
  std::string name;  // as stored: '\' separated for RAR 4, '/' for RAR 5
  std::string data;  // stored bytes (or, with a method, the packed bytes)
  std::uint16_t dosDate = (44 << 9) | (5 << 5) | 1;  // 2024-05-01
  std::uint16_t dosTime = 12 << 11;
  std::uint32_t unixTime = 1714564800;  // RAR 5: 2024-05-01 12:00 UTC
  std::uint32_t attributes = 0x20;
  bool folder = false;
  bool unixHost = false;    // attributes are a Unix mode
  bool symlink = false;     // RAR 4: Unix mode 0120777; RAR 5: a redirection record
  bool hardlink = false;    // RAR 5 only
  bool service = false;     // RAR 4 block 0x7A / RAR 5 header 3
  bool encrypted = false;
  bool splitBefore = false, splitAfter = false;
  bool solid = false;
  bool wrongCrc = false;
  bool blake2 = false;      // RAR 5: a BLAKE2sp record (instead of the CRC)
  bool wrongBlake2 = false;
  // RAR 4: the Unicode name packed after a NUL, behind `name` as the
  // code-page part (which must have the same number of characters).
  std::u16string unicodeName;
  int method = 0;           // 0 stored; 1..5 compressed (data then is packed)
  int unpackVersion = 29;   // RAR 4
  unsigned dictionaryExponent = 0;  // RAR 5: 128 KiB << n; RAR 4: 64 KiB << n
  std::uint64_t declaredSize = ~std::uint64_t{0};  // unpacked size to declare, if not data.size()
};

struct RarOptions {
  bool solid = false;
  bool encryptedHeaders = false;
  std::size_t stubBytes = 0;  // a self-extractor stub in front
  bool endBlock = true;
};

std::vector<std::uint8_t> rar4Archive(const std::vector<RarMember>& members, const RarOptions& options = {});
std::vector<std::uint8_t> rar5Archive(const std::vector<RarMember>& members, const RarOptions& options = {});

}  // namespace rivano::arc::test
