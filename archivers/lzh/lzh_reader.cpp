#include "archivers/lzh/lzh_reader.h"

#include <array>
#include <cstring>
#include <string>

#include "archivers/core/byte_reader.h"
#include "archivers/core/dos_time.h"
#include "archivers/core/utf8.h"
#include "archivers/lzh/lzh_decoder.h"

namespace rivano::arc {
namespace lzh {

namespace {
std::array<std::uint16_t, 256> makeCrc16Table() {
  std::array<std::uint16_t, 256> t{};
  for (unsigned i = 0; i < 256; ++i) {
    unsigned c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ 0xA001u : c >> 1;
    t[i] = static_cast<std::uint16_t>(c);
  }
  return t;
}
}  // namespace

std::uint16_t crc16(std::uint16_t crc, const std::uint8_t* p, std::size_t n) {
  static const auto table = makeCrc16Table();
  for (std::size_t i = 0; i < n; ++i) crc = static_cast<std::uint16_t>((crc >> 8) ^ table[(crc ^ p[i]) & 0xFF]);
  return crc;
}

void unixToDos(std::int64_t seconds, std::uint16_t& date, std::uint16_t& time) {
  const CivilTime t = civilFromUnix(seconds);
  date = dosDate(t);
  time = dosTime(t);
}

}  // namespace lzh

namespace {

std::uint16_t le16(const std::uint8_t* p) { return loadLe16(p); }
std::uint32_t le32(const std::uint8_t* p) { return loadLe32(p); }

constexpr std::uint64_t kHasCrc = std::uint64_t{1} << 16;
constexpr std::size_t kSfxScan = 64 * 1024;

bool looksLikeMethod(const std::uint8_t* m) {
  return m[0] == '-' && m[1] == 'l' && (m[2] == 'h' || m[2] == 'z') && m[4] == '-';
}

enum class Kind { stored, lzHuff, folder, unsupported };

Kind methodKind(const std::string& m, char& digit) {
  digit = m.size() == 5 ? m[3] : 0;
  if (m == "-lh0-" || m == "-lz4-") return Kind::stored;
  if (m == "-lhd-") return Kind::folder;
  if (m == "-lh4-" || m == "-lh5-" || m == "-lh6-" || m == "-lh7-") return Kind::lzHuff;
  return Kind::unsupported;
}

// Unix archivers store a symbolic link as a folder entry named
// "link|target". The name is Shift_JIS, whose trail bytes include '|'.
bool isSymlink(const MemberEntry& e) {
  if (!e.isFolder) return false;
  for (std::size_t i = 0; i < e.name.size(); ++i) {
    const auto c = static_cast<std::uint8_t>(e.name[i]);
    if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) {
      ++i;
    } else if (c == '|') {
      return true;
    }
  }
  return false;
}

// One member header as read; the fields that differ between levels are
// filled by the level's own parser, the rest by the extended headers.
struct Header {
  MemberEntry entry;
  std::string fileName;
  std::string dirName;
  bool hasCrc = false;
  std::uint16_t dataCrc = 0;
  std::size_t next = 0;  // offset of the next header
  // Level 2 and 3 carry a CRC-16 of the whole header in an extension.
  bool hasHeaderCrc = false;
  std::uint16_t headerCrc = 0;
  std::size_t headerCrcAt = 0;
  bool headerOk = false;  // checksums fine, whatever the data that follows
  // Windows archivers add the names in UTF-16 beside the ANSI ones.
  bool hasUtf16File = false, hasUtf16Dir = false;
  std::string utf8File, utf8Dir;
};

// UTF-16LE to UTF-8; in folder names 0xFFFF separates the parts. A lone
// surrogate becomes U+FFFD rather than invalid UTF-8.
std::string utf16ToUtf8(const std::uint8_t* p, std::size_t n, bool folder) {
  std::string out;
  for (std::size_t i = 0; i + 1 < n; i += 2) {
    std::uint32_t c = static_cast<std::uint32_t>(p[i] | (p[i + 1] << 8));
    if (folder && c == 0xFFFF) {
      out.push_back('\\');
      continue;
    }
    if (c >= 0xD800 && c < 0xDC00 && i + 3 < n) {
      const std::uint32_t low = static_cast<std::uint32_t>(p[i + 2] | (p[i + 3] << 8));
      if (low >= 0xDC00 && low < 0xE000) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        i += 2;
      }
    }
    if (c >= 0xD800 && c < 0xE000) c = 0xFFFD;
    appendUtf8(out, c);
  }
  if (folder && !out.empty() && out.back() != '\\') out.push_back('\\');
  return out;
}

class LzhReader final : public ArchiveReader {
 public:
  LzhReader(ByteSpan data, const Limits& limits, std::size_t start)
      : data_(data), limits_(limits), start_(start) {}
  Result list(std::vector<MemberEntry>& members) override;
  Result extract(const MemberEntry& member, Sink& sink) override;
  // ok with a header, notThisFormat at the end marker or end of data.
  Result parse(std::size_t at, Header& h) const;

 private:
  Result parseLevel01(std::size_t at, Header& h) const;
  Result parseLevel2(std::size_t at, Header& h) const;
  Result parseLevel3(std::size_t at, Header& h) const;
  Result parseExtensions(std::size_t at, std::size_t end, std::size_t firstSize, int sizeBytes, Header& h,
                         std::size_t& consumed) const;
  void applyExtension(std::uint8_t type, const std::uint8_t* p, std::size_t n, std::size_t at, Header& h) const;
  Result finish(Header& h) const;

  ByteSpan data_;
  Limits limits_;
  std::size_t start_;
};

std::uint8_t byteSum(const std::uint8_t* p, std::size_t n) {
  unsigned s = 0;
  for (std::size_t i = 0; i < n; ++i) s += p[i];
  return static_cast<std::uint8_t>(s);
}

Result LzhReader::parse(std::size_t at, Header& h) const {
  if (at >= data_.size() || data_[at] == 0) return Result::notThisFormat;
  if (data_.size() - at < 22) return Result::corrupt;
  const std::uint8_t* p = data_.data() + at;
  if (!looksLikeMethod(p + 2)) return Result::corrupt;
  h = Header{};
  h.entry.method.assign(reinterpret_cast<const char*>(p + 2), 5);
  h.entry.size = le32(p + 11);
  switch (p[20]) {
    case 0:
    case 1: return parseLevel01(at, h);
    case 2: return parseLevel2(at, h);
    case 3: return parseLevel3(at, h);
    default: return Result::corrupt;
  }
}

Result LzhReader::parseLevel01(std::size_t at, Header& h) const {
  const std::uint8_t* p = data_.data() + at;
  const std::size_t total = static_cast<std::size_t>(p[0]) + 2;
  const std::size_t nameLen = p[21];
  const bool level1 = p[20] == 1;
  if (total > data_.size() - at || 22 + nameLen > total) return Result::corrupt;
  if (byteSum(p + 2, total - 2) != p[1]) return Result::corrupt;
  h.fileName.assign(reinterpret_cast<const char*>(p + 22), nameLen);
  h.entry.dosTime = le16(p + 15);
  h.entry.dosDate = le16(p + 17);
  if (!level1) h.entry.dosAttributes = p[19];
  if (22 + nameLen + 2 <= total) {
    h.hasCrc = true;
    h.dataCrc = le16(p + 22 + nameLen);
  }
  std::uint64_t packed = le32(p + 7);
  std::size_t extBytes = 0;
  if (level1) {
    if (22 + nameLen + 5 > total) return Result::corrupt;
    std::size_t first = le16(p + total - 2);
    Result r = parseExtensions(at + total, data_.size(), first, 2, h, extBytes);
    if (r != Result::ok) return r;
    if (extBytes > packed) return Result::corrupt;
    packed -= extBytes;  // level 1 counts its extensions in the packed size
  }
  h.entry.packedSize = packed;
  h.entry.locator = at + total + extBytes;
  return finish(h);
}

Result LzhReader::parseLevel2(std::size_t at, Header& h) const {
  const std::uint8_t* p = data_.data() + at;
  const std::size_t total = le16(p);
  if (data_.size() - at < 26 || total < 26 || total > data_.size() - at) return Result::corrupt;
  lzh::unixToDos(le32(p + 15), h.entry.dosDate, h.entry.dosTime);
  h.hasCrc = true;
  h.dataCrc = le16(p + 21);
  std::size_t extBytes = 0;
  Result r = parseExtensions(at + 26, at + total, le16(p + 24), 2, h, extBytes);
  if (r != Result::ok) return r;
  h.entry.packedSize = le32(p + 7);
  h.entry.locator = at + total;
  if (h.hasHeaderCrc) {
    std::vector<std::uint8_t> copy(p, p + total);
    copy[h.headerCrcAt - at] = 0;
    copy[h.headerCrcAt - at + 1] = 0;
    if (lzh::crc16(0, copy.data(), copy.size()) != h.headerCrc) return Result::corrupt;
  }
  return finish(h);
}

Result LzhReader::parseLevel3(std::size_t at, Header& h) const {
  const std::uint8_t* p = data_.data() + at;
  if (data_.size() - at < 32 || le16(p) != 4) return Result::corrupt;
  const std::size_t total = le32(p + 24);
  if (total < 32 || total > data_.size() - at) return Result::corrupt;
  lzh::unixToDos(le32(p + 15), h.entry.dosDate, h.entry.dosTime);
  h.hasCrc = true;
  h.dataCrc = le16(p + 21);
  std::size_t extBytes = 0;
  Result r = parseExtensions(at + 32, at + total, le32(p + 28), 4, h, extBytes);
  if (r != Result::ok) return r;
  h.entry.packedSize = le32(p + 7);
  h.entry.locator = at + total;
  return finish(h);
}

// Extended headers: type byte, data, then the size of the next one.
Result LzhReader::parseExtensions(std::size_t at, std::size_t end, std::size_t size, int sizeBytes, Header& h,
                                  std::size_t& consumed) const {
  consumed = 0;
  const std::size_t minSize = 1 + static_cast<std::size_t>(sizeBytes);
  while (size != 0) {
    if (size < minSize || at > end || size > end - at) return Result::corrupt;
    const std::uint8_t* p = data_.data() + at;
    applyExtension(p[0], p + 1, size - minSize, at + 1, h);
    std::size_t next = sizeBytes == 2 ? le16(p + size - 2) : le32(p + size - 4);
    at += size;
    consumed += size;
    size = next;
  }
  return Result::ok;
}

void LzhReader::applyExtension(std::uint8_t type, const std::uint8_t* p, std::size_t n, std::size_t at,
                               Header& h) const {
  switch (type) {
    case 0x00:
      if (n >= 2) {
        h.hasHeaderCrc = true;
        h.headerCrc = le16(p);
        h.headerCrcAt = at;
      }
      break;
    case 0x01: h.fileName.assign(reinterpret_cast<const char*>(p), n); break;
    case 0x02:
      h.dirName.assign(reinterpret_cast<const char*>(p), n);
      for (char& c : h.dirName) {
        if (static_cast<std::uint8_t>(c) == 0xFF) c = '\\';
      }
      // Separators are 0xFF bytes; a final one is usual but optional, and a
      // Shift_JIS trail byte 0x5C at the end must not pass for one.
      if (n > 0 && p[n - 1] != 0xFF) h.dirName.push_back('\\');
      break;
    case 0x40:
      if (n >= 2) h.entry.dosAttributes = p[0];
      break;
    case 0x44:
      h.hasUtf16File = true;
      h.utf8File = utf16ToUtf8(p, n, false);
      break;
    case 0x45:
      h.hasUtf16Dir = true;
      h.utf8Dir = utf16ToUtf8(p, n, true);
      break;
    default: break;
  }
}

Result LzhReader::finish(Header& h) const {
  h.headerOk = true;
  if (h.entry.locator > data_.size() || h.entry.packedSize > data_.size() - h.entry.locator) {
    return Result::corrupt;  // the member's data runs past the end
  }
  h.next = static_cast<std::size_t>(h.entry.locator + h.entry.packedSize);
  // The UTF-16 names win only when they cover every part of the name.
  const bool utf16 = (h.hasUtf16File || h.hasUtf16Dir) && (h.hasUtf16File || h.fileName.empty()) &&
                     (h.hasUtf16Dir || h.dirName.empty());
  h.entry.name = utf16 ? h.utf8Dir + h.utf8File : h.dirName + h.fileName;
  h.entry.nameIsUtf8 = utf16;
  char digit = 0;
  if (methodKind(h.entry.method, digit) == Kind::folder) {
    h.entry.isFolder = true;
    h.entry.dosAttributes |= 0x10;
    h.entry.size = 0;
  } else {
    // Only the method makes a folder; a stray folder bit must not show one.
    h.entry.dosAttributes &= 0x27;
  }
  h.entry.crc = h.dataCrc;
  h.entry.locator2 = h.hasCrc ? (kHasCrc | h.dataCrc) : 0;
  return Result::ok;
}

Result LzhReader::list(std::vector<MemberEntry>& members) {
  members.clear();
  std::size_t at = start_;
  for (;;) {
    Header h;
    Result r = parse(at, h);
    if (r == Result::notThisFormat) return Result::ok;
    if (r != Result::ok) return r;
    at = h.next;
    if (isSymlink(h.entry)) continue;  // no bytes of its own, as in the tar reader
    if (members.size() >= limits_.maxMembers) return Result::tooLarge;
    members.push_back(std::move(h.entry));
  }
}

Result LzhReader::extract(const MemberEntry& m, Sink& sink) {
  char digit = 0;
  Kind kind = methodKind(m.method, digit);
  if (kind == Kind::folder) return Result::ok;
  if (kind == Kind::unsupported) return Result::unsupportedMethod;
  if (m.locator > data_.size() || m.packedSize > data_.size() - m.locator) return Result::corrupt;
  if (m.size > limits_.maxMemberSize) return Result::tooLarge;
  ByteSpan packed = data_.subspan(static_cast<std::size_t>(m.locator), static_cast<std::size_t>(m.packedSize));
  std::uint16_t crc = 0;
  auto check = [&crc](const std::uint8_t* p, std::size_t n) { crc = lzh::crc16(crc, p, n); };
  Result r;
  if (kind == Kind::stored) {
    if (m.packedSize < m.size) return Result::corrupt;
    struct Copy {
      ByteSpan in;
      std::size_t at = 0;
      Result read(std::uint8_t* out, std::size_t cap, std::size_t& produced) {
        std::memcpy(out, in.data() + at, cap);
        at += cap;
        produced = cap;
        return Result::ok;
      }
    } copy{packed};
    r = lz::pumpToSink(copy, m.size, sink, check);
  } else {
    bool known = false;
    lz::LzHuffDecoder decoder(packed, lz::lzhParams(digit, known));
    r = lz::pumpToSink(decoder, m.size, sink, check);
  }
  if (r != Result::ok) return r;
  if ((m.locator2 & kHasCrc) && crc != static_cast<std::uint16_t>(m.locator2)) return Result::corrupt;
  return Result::ok;
}

}  // namespace

std::unique_ptr<ArchiveReader> openLzh(ByteSpan data, const Limits& limits, Result& result) {
  // A lone end marker is what an archiver writes for an empty archive.
  if (data.size() == 1 && data[0] == 0) {
    result = Result::ok;
    return std::make_unique<LzhReader>(data, limits, 0);
  }
  // A header at the very start is the archive, broken or not: skipping a
  // damaged first member in search of a later one would hide the damage.
  if (data.size() >= 7 && looksLikeMethod(data.data() + 2)) {
    auto reader = std::make_unique<LzhReader>(data, limits, 0);
    Header h;
    reader->parse(0, h);
    result = h.headerOk ? Result::ok : Result::corrupt;
    return h.headerOk ? std::move(reader) : nullptr;
  }
  const std::size_t scan = data.size() < kSfxScan ? data.size() : kSfxScan;
  for (std::size_t at = 1; at + 22 <= data.size() && at < scan; ++at) {
    if (!looksLikeMethod(data.data() + at + 2)) continue;
    auto reader = std::make_unique<LzhReader>(data, limits, at);
    Header h;
    reader->parse(at, h);
    if (h.headerOk) {
      result = Result::ok;
      return reader;
    }
  }
  result = Result::notThisFormat;
  return nullptr;
}

}  // namespace rivano::arc
