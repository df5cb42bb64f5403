// The RAR 1.5-4.x block layout: every block starts with a CRC-16 (the low
// half of a CRC-32 over the rest of the block header), a type, flags and the
// header size; blocks with the "long block" flag carry a data size after
// that, which for files and service blocks is their packed size.
#include <cstring>

#include "archivers/core/byte_reader.h"
#include "archivers/core/crc32.h"
#include "archivers/core/unix_entry.h"
#include "archivers/rar/rar_headers.h"
#include "archivers/rar/rar_names.h"

namespace rivano::arc::rar {
namespace {

constexpr std::uint8_t kMainBlock = 0x73;
constexpr std::uint8_t kFileBlock = 0x74;
constexpr std::uint8_t kServiceBlock = 0x7A;
constexpr std::uint8_t kEndBlock = 0x7B;

constexpr std::uint16_t kLongBlock = 0x8000;

constexpr std::uint16_t kMainComment = 0x0002;
constexpr std::uint16_t kMainSolid = 0x0008;
constexpr std::uint16_t kMainEncryptedHeaders = 0x0080;

constexpr std::uint16_t kFileSplitBefore = 0x0001;
constexpr std::uint16_t kFileSplitAfter = 0x0002;
constexpr std::uint16_t kFileEncrypted = 0x0004;
constexpr std::uint16_t kFileSolid = 0x0010;
constexpr std::uint16_t kFileLarge = 0x0100;
constexpr std::uint16_t kFileUnicode = 0x0200;

constexpr std::size_t kMarkerSize = 7;
constexpr std::size_t kBaseSize = 7;
constexpr std::size_t kFileFixedSize = 32;

enum HostOs : std::uint8_t { kMsDos = 0, kOs2 = 1, kWin32 = 2, kUnix = 3 };

struct Block {
  std::uint16_t crc = 0;
  std::uint8_t type = 0;
  std::uint16_t flags = 0;
  std::uint16_t size = 0;
  std::uint32_t addSize = 0;
};

// The block header at `at`: false when it does not fit the data.
bool readBlock(ByteSpan data, std::size_t at, Block& b) {
  if (at > data.size() || data.size() - at < kBaseSize) return false;
  const std::uint8_t* p = data.data() + at;
  b.crc = loadLe16(p);
  b.type = p[2];
  b.flags = loadLe16(p + 3);
  b.size = loadLe16(p + 5);
  if (b.size < kBaseSize || b.size > data.size() - at) return false;
  b.addSize = 0;
  if ((b.flags & kLongBlock) != 0) {
    if (b.size < kBaseSize + 4) return false;
    b.addSize = loadLe32(p + 7);
  }
  return true;
}

bool crcMatches(ByteSpan data, std::size_t at, std::size_t length, std::uint16_t expected) {
  const std::uint32_t crc = crc32Update(0, data.data() + at + 2, length - 2);
  return static_cast<std::uint16_t>(crc & 0xFFFF) == expected;
}

int generationOf(std::uint8_t unpackVersion, std::uint8_t method) {
  if (method == 0x30) return 0;
  switch (unpackVersion) {
    case 15: return 15;
    case 20:
    case 26: return 20;
    case 29:
    case 36: return 29;
    default: return -1;
  }
}

// "v29:m3": the unpack version and the method digit; '+' when encrypted.
std::string methodText(std::uint8_t unpackVersion, std::uint8_t method, bool encrypted) {
  std::string text = "v";
  text += static_cast<char>('0' + unpackVersion / 10 % 10);
  text += static_cast<char>('0' + unpackVersion % 10);
  text += ":m";
  text += (method >= 0x30 && method <= 0x35) ? static_cast<char>('0' + (method - 0x30)) : '?';
  if (encrypted) text += '+';
  return text;
}

// A file or service block; `at` is its start, `b` its block header.
// `parsed` tells whether `e` was filled (its header is sound), also when
// the result is corrupt because the data runs past the end.
Result readFileBlock(ByteSpan data, std::size_t at, const Block& b, Entry& e, std::size_t& next, bool& parsed) {
  parsed = false;
  if (b.size < kFileFixedSize) return Result::corrupt;
  const std::uint8_t* p = data.data() + at;
  std::uint64_t packed = loadLe32(p + 7);
  std::uint64_t unpacked = loadLe32(p + 11);
  const std::uint8_t host = p[15];
  const std::uint32_t crc = loadLe32(p + 16);
  const std::uint32_t dosStamp = loadLe32(p + 20);
  const std::uint8_t unpackVersion = p[24];
  const std::uint8_t method = p[25];
  const std::size_t nameSize = loadLe16(p + 26);
  const std::uint32_t attributes = loadLe32(p + 28);
  std::size_t pos = kFileFixedSize;
  bool sizeUnknown = unpacked == 0xFFFFFFFFu;
  if ((b.flags & kFileLarge) != 0) {
    if (pos + 8 > b.size) return Result::corrupt;
    const std::uint32_t highPacked = loadLe32(p + pos);
    const std::uint32_t highUnpacked = loadLe32(p + pos + 4);
    sizeUnknown = sizeUnknown && highUnpacked == 0xFFFFFFFFu;
    packed |= std::uint64_t{highPacked} << 32;
    unpacked |= std::uint64_t{highUnpacked} << 32;
    pos += 8;
  }
  if (nameSize > b.size - pos) return Result::corrupt;
  const ByteSpan nameField = data.subspan(at + pos, nameSize);

  const bool service = b.type == kServiceBlock;
  const bool unixLike = host != kMsDos && host != kOs2 && host != kWin32;
  const unsigned dictionaryBits = (b.flags >> 5) & 7;
  const UnixFileType unixType = unixLike ? unixFileType(attributes) : UnixFileType::unknown;
  bool folder = dictionaryBits == 7;
  if (!unixLike && (attributes & 0x10) != 0) folder = true;
  if (unixType == UnixFileType::folder) folder = true;

  e = Entry{};
  if (service) {
    e.kind = EntryKind::service;
  } else if (folder) {
    e.kind = EntryKind::folder;
  } else if (unixType == UnixFileType::symlink) {
    e.kind = EntryKind::symlink;
  } else if (unixType == UnixFileType::other) {
    e.kind = EntryKind::noData;
  }
  const DecodedName name = decodeRar4Name(nameField, (b.flags & kFileUnicode) != 0, host == kUnix);
  e.member.name = name.bytes;
  e.member.nameIsUtf8 = name.utf8;
  e.member.isFolder = folder;
  e.member.size = folder ? 0 : unpacked;
  e.member.packedSize = packed;
  e.member.crc = crc;
  e.member.dosTime = static_cast<std::uint16_t>(dosStamp & 0xFFFF);
  e.member.dosDate = static_cast<std::uint16_t>(dosStamp >> 16);
  if (unixLike) {
    e.member.dosAttributes = dosAttributesFromUnixMode(attributes, folder);
  } else {
    e.member.dosAttributes = static_cast<std::uint8_t>((attributes & 0x27) | (folder ? 0x10 : 0));
  }
  e.encrypted = (b.flags & kFileEncrypted) != 0;
  e.member.method = methodText(unpackVersion, method, e.encrypted);
  e.dataOffset = at + b.size;
  e.packedSize = packed;
  e.generation = generationOf(unpackVersion, method);
  e.dictionary = folder ? 0 : std::uint64_t{0x10000} << dictionaryBits;
  e.solid = !service && (b.flags & kFileSolid) != 0;
  e.continuedFromPrevious = (b.flags & kFileSplitBefore) != 0;
  e.continuesInNext = (b.flags & kFileSplitAfter) != 0;
  e.sizeUnknown = sizeUnknown;
  e.hasCrc = true;
  e.crc = crc;
  parsed = true;
  if (packed > data.size() - e.dataOffset) return Result::corrupt;
  next = static_cast<std::size_t>(e.dataOffset + packed);
  return Result::ok;
}

}  // namespace

bool rar4MainHeaderOk(ByteSpan data, std::size_t start) {
  Block b;
  const std::size_t at = start + kMarkerSize;
  if (!readBlock(data, at, b) || b.type != kMainBlock || b.size < 13) return false;
  // Old archives keep their comment inside the main header, where the
  // checksum covers only the fixed part.
  return crcMatches(data, at, b.size, b.crc) ||
         ((b.flags & kMainComment) != 0 && crcMatches(data, at, 13, b.crc));
}

Headers readRar4(ByteSpan data, std::size_t start, const Limits& limits) {
  Headers h;
  std::size_t at = start + kMarkerSize;
  Block b;
  if (!rar4MainHeaderOk(data, start) || !readBlock(data, at, b)) {
    h.fault = Result::corrupt;
    return h;
  }
  if ((b.flags & kMainEncryptedHeaders) != 0) {
    h.fault = Result::unsupportedMethod;  // nothing past this can be read without the password
    return h;
  }
  h.solidArchive = (b.flags & kMainSolid) != 0;
  at += b.size;
  while (at < data.size()) {
    if (!readBlock(data, at, b)) {
      h.fault = Result::corrupt;
      return h;
    }
    if (b.type == kMainBlock) {
      h.fault = Result::corrupt;  // only one per archive
      return h;
    }
    // The blocks of archivers before 2.9 (comments, owner sub-blocks,
    // recovery records) sum more or less than their header; they are only
    // skipped, so their checksum is not ours to judge. Nor is that of a file
    // header with an old in-header comment, which is summed without it.
    const bool oldBlock = b.type >= 0x75 && b.type <= 0x79;
    const bool oldComment = b.type == kFileBlock && (b.flags & 0x0008) != 0;
    if (!oldBlock && !oldComment && !crcMatches(data, at, b.size, b.crc)) {
      h.fault = Result::corrupt;
      return h;
    }
    if (b.type == kEndBlock) return h;
    if (b.type == kFileBlock || b.type == kServiceBlock) {
      if (h.entries.size() >= limits.maxMembers) {
        h.fault = Result::tooLarge;
        return h;
      }
      Entry e;
      std::size_t next = 0;
      bool parsed = false;
      const Result r = readFileBlock(data, at, b, e, next, parsed);
      // A sound header whose data is cut off is still listed.
      if (parsed) h.entries.push_back(std::move(e));
      if (r != Result::ok) {
        h.fault = r;
        return h;
      }
      at = next;
      continue;
    }
    // Comments, old sub-blocks, recovery records: skipped with their data.
    const std::uint64_t skip = std::uint64_t{b.size} + b.addSize;
    if (skip > data.size() - at) {
      h.fault = Result::corrupt;
      return h;
    }
    at += static_cast<std::size_t>(skip);
  }
  return h;
}

}  // namespace rivano::arc::rar
