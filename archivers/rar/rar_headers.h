// What the two container layouts say about each member, in one form the
// reader works from. Parsing never allocates by a size read from the
// archive without bounding it first.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "archivers/core/archive_format.h"

namespace rivano::arc::rar {

// noData: hard links, copies of other members, devices and pipes, which
// have no bytes of their own to write.
enum class EntryKind { file, folder, symlink, noData, service };

struct Entry {
  MemberEntry member;           // name, size, date, attributes as listed
  EntryKind kind = EntryKind::file;
  std::uint64_t dataOffset = 0; // packed bytes within the archive
  std::uint64_t packedSize = 0;
  int generation = 0;           // 0 stored, else 15, 20, 29, 50 or 51 (RAR 5, version 1)
  std::uint64_t dictionary = 0;
  bool solid = false;           // continues the previous member's stream
  bool encrypted = false;
  bool continuedFromPrevious = false;  // split: begins in an earlier volume
  bool continuesInNext = false;        // split: ends in a later volume
  bool sizeUnknown = false;
  bool dictionaryRefused = false;      // larger than we accept
  bool hasCrc = false;
  std::uint32_t crc = 0;
  bool hasBlake2 = false;
  std::array<std::uint8_t, 32> blake2{};
  std::string linkTarget;       // symlink target, for the record only
};

struct Headers {
  std::vector<Entry> entries;   // every header of a member or service, in order
  Result fault = Result::ok;    // why the walk stopped early, if it did
  bool solidArchive = false;
};

// `start` is the offset of the marker. The walk stops at the end block, at
// the end of the data (no end block: fine), or at the first fault, keeping
// what was read before it.
Headers readRar4(ByteSpan data, std::size_t start, const Limits& limits);
Headers readRar5(ByteSpan data, std::size_t start, const Limits& limits);

// False when the archive header right after the marker is unreadable.
bool rar4MainHeaderOk(ByteSpan data, std::size_t start);
bool rar5MainHeaderOk(ByteSpan data, std::size_t start);

}  // namespace rivano::arc::rar
