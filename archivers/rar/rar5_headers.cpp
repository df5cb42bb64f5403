// The RAR 5 header layout: each header is a CRC-32, its size as a
// variable-length integer (seven bits a byte, low first), then type, flags,
// the optional extra-area and data sizes, the type's own fields and the
// extra area of typed records.
#include <cstring>

#include "archivers/core/byte_reader.h"
#include "archivers/core/crc32.h"
#include "archivers/core/dos_time.h"
#include "archivers/core/unix_entry.h"
#include "archivers/rar/rar_headers.h"
#include "archivers/rar/rar_names.h"
#include "archivers/rar/rar_unpack.h"

namespace rivano::arc::rar {
namespace {

constexpr std::size_t kMarkerSize = 8;
// The format caps a header at 2 MiB; anything claiming more is damage.
constexpr std::uint64_t kMaxHeaderSize = 2u << 20;

enum HeaderType : std::uint64_t { kMain = 1, kFile = 2, kService = 3, kEncryption = 4, kEnd = 5 };

constexpr std::uint64_t kHasExtra = 0x0001;
constexpr std::uint64_t kHasData = 0x0002;
constexpr std::uint64_t kSplitBefore = 0x0008;
constexpr std::uint64_t kSplitAfter = 0x0010;

constexpr std::uint64_t kArchiveSolid = 0x0004;
constexpr std::uint64_t kArchiveHasVolumeNumber = 0x0002;

constexpr std::uint64_t kFileIsFolder = 0x0001;
constexpr std::uint64_t kFileHasTime = 0x0002;
constexpr std::uint64_t kFileHasCrc = 0x0004;
constexpr std::uint64_t kFileSizeUnknown = 0x0008;

constexpr std::uint64_t kRecordEncryption = 1;
constexpr std::uint64_t kRecordHash = 2;
constexpr std::uint64_t kRecordTime = 3;
constexpr std::uint64_t kRecordRedirection = 5;

// Variable-length integers over a bounded range.
class Fields {
 public:
  Fields(ByteSpan data, std::size_t begin, std::size_t end) : data_(data), pos_(begin), end_(end) {}
  bool vint(std::uint64_t& out) {
    out = 0;
    for (unsigned shift = 0; shift < 70; shift += 7) {
      if (pos_ >= end_) return false;
      const std::uint8_t b = data_[pos_++];
      if (shift == 63 && (b & 0x7E) != 0) return false;  // past 64 bits
      out |= std::uint64_t{b & 0x7Fu} << shift;
      if ((b & 0x80) == 0) return true;
    }
    return false;
  }
  bool u32(std::uint32_t& out) {
    if (end_ - pos_ < 4) return false;
    out = loadLe32(data_.data() + pos_);
    pos_ += 4;
    return true;
  }
  bool u64(std::uint64_t& out) {
    std::uint32_t low = 0, high = 0;
    if (end_ - pos_ < 8 || !u32(low) || !u32(high)) return false;
    out = std::uint64_t{high} << 32 | low;
    return true;
  }
  bool bytes(std::uint64_t count, ByteSpan& out) {
    if (count > end_ - pos_) return false;
    out = data_.subspan(pos_, static_cast<std::size_t>(count));
    pos_ += static_cast<std::size_t>(count);
    return true;
  }
  std::size_t position() const { return pos_; }
  std::size_t left() const { return end_ - pos_; }

 private:
  ByteSpan data_;
  std::size_t pos_;
  std::size_t end_;
};

struct Header {
  std::uint64_t type = 0;
  std::uint64_t flags = 0;
  std::size_t fieldsBegin = 0;  // the type's own fields
  std::size_t extraBegin = 0;   // the extra area, up to headerEnd
  std::size_t headerEnd = 0;
  std::uint64_t dataSize = 0;
};

// ok, or corrupt when the header is damaged or does not fit.
Result readHeader(ByteSpan data, std::size_t at, Header& h) {
  if (at > data.size() || data.size() - at < 6) return Result::corrupt;
  const std::uint32_t crc = loadLe32(data.data() + at);
  Fields sizeField(data, at + 4, data.size() < at + 7 ? data.size() : at + 7);
  std::uint64_t headerSize = 0;
  if (!sizeField.vint(headerSize) || headerSize == 0 || headerSize > kMaxHeaderSize) return Result::corrupt;
  const std::size_t begin = sizeField.position();
  if (headerSize > data.size() - begin) return Result::corrupt;
  h.headerEnd = begin + static_cast<std::size_t>(headerSize);
  if (crc32Update(0, data.data() + at + 4, h.headerEnd - at - 4) != crc) return Result::corrupt;
  Fields f(data, begin, h.headerEnd);
  std::uint64_t extraSize = 0;
  if (!f.vint(h.type) || !f.vint(h.flags)) return Result::corrupt;
  if ((h.flags & kHasExtra) != 0 && !f.vint(extraSize)) return Result::corrupt;
  if ((h.flags & kHasData) != 0 && !f.vint(h.dataSize)) return Result::corrupt;
  if (extraSize > f.left()) return Result::corrupt;
  h.fieldsBegin = f.position();
  h.extraBegin = h.headerEnd - static_cast<std::size_t>(extraSize);
  return Result::ok;
}

void setUnixTime(Entry& e, std::int64_t seconds) {
  const CivilTime t = civilFromUnix(seconds);
  e.member.dosDate = dosDate(t);
  e.member.dosTime = dosTime(t);
}

// Windows FILETIME: 100 ns steps since 1601.
std::int64_t unixFromFileTime(std::uint64_t ft) {
  return static_cast<std::int64_t>(ft / 10000000u) - 11644473600LL;
}

void readExtraRecords(ByteSpan data, const Header& h, Entry& e, bool haveTime) {
  Fields f(data, h.extraBegin, h.headerEnd);
  while (f.left() > 0) {
    std::uint64_t size = 0;
    if (!f.vint(size) || size == 0 || size > f.left()) return;  // a damaged record ends the area
    const std::size_t end = f.position() + static_cast<std::size_t>(size);
    Fields r(data, f.position(), end);
    ByteSpan skipped;
    f.bytes(size, skipped);
    std::uint64_t type = 0;
    if (!r.vint(type)) continue;
    switch (type) {
      case kRecordEncryption: e.encrypted = true; break;
      case kRecordHash: {
        std::uint64_t kind = 0;
        ByteSpan digest;
        if (r.vint(kind) && kind == 0 && r.bytes(32, digest)) {
          e.hasBlake2 = true;
          std::memcpy(e.blake2.data(), digest.data(), 32);
        }
        break;
      }
      case kRecordTime: {
        std::uint64_t flags = 0;
        if (!r.vint(flags) || (flags & 0x2) == 0 || haveTime) break;
        if ((flags & 0x1) != 0) {
          std::uint32_t t = 0;
          if (r.u32(t)) setUnixTime(e, t);
        } else {
          std::uint64_t ft = 0;
          if (r.u64(ft)) setUnixTime(e, unixFromFileTime(ft));
        }
        break;
      }
      case kRecordRedirection: {
        std::uint64_t kind = 0, flags = 0, length = 0;
        ByteSpan target;
        if (!r.vint(kind)) break;
        // 1 Unix link, 2 Windows link, 3 junction: they point elsewhere;
        // 4 hard link, 5 copy of another member: no data of their own.
        if (kind >= 1 && kind <= 3) e.kind = EntryKind::symlink;
        if (kind == 4 || kind == 5) e.kind = EntryKind::noData;
        if (r.vint(flags) && r.vint(length) && r.bytes(length, target)) {
          e.linkTarget.assign(reinterpret_cast<const char*>(target.data()), target.size());
        }
        break;
      }
      default: break;
    }
  }
}

Result readFileHeader(ByteSpan data, const Header& h, Entry& e) {
  Fields f(data, h.fieldsBegin, h.extraBegin);
  std::uint64_t fileFlags = 0, unpacked = 0, attributes = 0, compression = 0, host = 0, nameLength = 0;
  std::uint32_t mtime = 0, crc = 0;
  if (!f.vint(fileFlags) || !f.vint(unpacked) || !f.vint(attributes)) return Result::corrupt;
  if ((fileFlags & kFileHasTime) != 0 && !f.u32(mtime)) return Result::corrupt;
  if ((fileFlags & kFileHasCrc) != 0 && !f.u32(crc)) return Result::corrupt;
  ByteSpan name;
  if (!f.vint(compression) || !f.vint(host) || !f.vint(nameLength) || !f.bytes(nameLength, name)) {
    return Result::corrupt;
  }
  e = Entry{};
  const bool folder = (fileFlags & kFileIsFolder) != 0;
  const bool unixHost = host == 1;
  if (h.type == kService) {
    e.kind = EntryKind::service;
  } else if (folder) {
    e.kind = EntryKind::folder;
  } else if (unixHost && unixFileType(static_cast<std::uint32_t>(attributes)) == UnixFileType::symlink) {
    e.kind = EntryKind::symlink;
  } else if (unixHost && unixFileType(static_cast<std::uint32_t>(attributes)) == UnixFileType::other) {
    e.kind = EntryKind::noData;
  }
  std::string text(reinterpret_cast<const char*>(name.data()), name.size());
  text = text.substr(0, text.find('\0'));
  e.member.nameIsUtf8 = isValidUtf8(text);
  // Separators are '/'; no code page has '/' as the second byte of a character.
  utf8Backslashes(text);
  e.member.name = std::move(text);
  e.member.isFolder = folder;
  e.sizeUnknown = (fileFlags & kFileSizeUnknown) != 0;
  e.member.size = folder ? 0 : unpacked;
  e.member.packedSize = h.dataSize;
  e.member.crc = crc;
  e.hasCrc = (fileFlags & kFileHasCrc) != 0;
  e.crc = crc;
  if (unixHost) {
    e.member.dosAttributes = dosAttributesFromUnixMode(static_cast<std::uint32_t>(attributes), folder);
  } else {
    e.member.dosAttributes = static_cast<std::uint8_t>((attributes & 0x27) | (folder ? 0x10 : 0));
  }
  const bool haveTime = (fileFlags & kFileHasTime) != 0;
  if (haveTime) setUnixTime(e, mtime);

  const std::uint64_t version = compression & 0x3F;
  const std::uint64_t method = (compression >> 7) & 7;
  e.solid = h.type != kService && (compression & 0x40) != 0;
  if (method == 0) {
    e.generation = 0;
  } else if (version <= 1) {
    // Version 1 (newer RAR versions) reads its code tables differently, so
    // it is a stream of its own kind.
    e.generation = version == 0 ? 50 : 51;
    // Version 0 has four bits of dictionary size; version 1 five, and
    // a fraction in 32nds of that size to add.
    const unsigned exponent = static_cast<unsigned>((compression >> 10) & (version == 0 ? 0x0F : 0x1F));
    const std::uint64_t fraction = version == 0 ? 0 : (compression >> 15) & 0x1F;
    if (exponent > 24) {
      e.dictionaryRefused = true;
    } else {
      const std::uint64_t base = std::uint64_t{0x20000} << exponent;
      e.dictionary = base + base / 32 * fraction;
      e.dictionaryRefused = e.dictionary > kMaxDictionary;
    }
  } else {
    e.generation = -1;
  }
  e.continuedFromPrevious = (h.flags & kSplitBefore) != 0;
  e.continuesInNext = (h.flags & kSplitAfter) != 0;
  readExtraRecords(data, h, e, haveTime);
  e.member.method = "v50:m";
  e.member.method += static_cast<char>('0' + method);
  if (e.encrypted) e.member.method += '+';
  e.dataOffset = h.headerEnd;
  e.packedSize = h.dataSize;
  return Result::ok;
}

}  // namespace

bool rar5MainHeaderOk(ByteSpan data, std::size_t start) {
  Header h;
  const std::size_t at = start + kMarkerSize;
  if (readHeader(data, at, h) != Result::ok) return false;
  // Encrypted headers begin with the encryption header instead.
  return h.type == kMain || h.type == kEncryption;
}

Headers readRar5(ByteSpan data, std::size_t start, const Limits& limits) {
  Headers out;
  std::size_t at = start + kMarkerSize;
  bool first = true;
  while (at < data.size()) {
    Header h;
    if (readHeader(data, at, h) != Result::ok) {
      out.fault = Result::corrupt;
      return out;
    }
    if (h.dataSize > data.size() - h.headerEnd && h.type != kFile && h.type != kService) {
      out.fault = Result::corrupt;
      return out;
    }
    if (first != (h.type == kMain || h.type == kEncryption)) {
      out.fault = Result::corrupt;  // the archive header comes first and only once
      return out;
    }
    first = false;
    switch (h.type) {
      case kMain: {
        Fields f(data, h.fieldsBegin, h.extraBegin);
        std::uint64_t archiveFlags = 0, volume = 0;
        if (!f.vint(archiveFlags) || ((archiveFlags & kArchiveHasVolumeNumber) != 0 && !f.vint(volume))) {
          out.fault = Result::corrupt;
          return out;
        }
        out.solidArchive = (archiveFlags & kArchiveSolid) != 0;
        break;
      }
      case kEncryption: out.fault = Result::unsupportedMethod; return out;
      case kEnd: return out;
      case kFile:
      case kService: {
        if (out.entries.size() >= limits.maxMembers) {
          out.fault = Result::tooLarge;
          return out;
        }
        Entry e;
        if (readFileHeader(data, h, e) != Result::ok) {
          out.fault = Result::corrupt;
          return out;
        }
        out.entries.push_back(std::move(e));
        if (h.dataSize > data.size() - h.headerEnd) {
          out.fault = Result::corrupt;  // listed: its header was fine, its data is cut off
          return out;
        }
        break;
      }
      default: break;  // unknown types are skipped with their data
    }
    at = h.headerEnd + static_cast<std::size_t>(h.dataSize);
  }
  return out;
}

}  // namespace rivano::arc::rar
