#include "archivers/tar/tar_reader.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "archivers/core/dos_time.h"
#include "archivers/core/unix_entry.h"

namespace rivano::arc {
namespace {

constexpr std::size_t kBlock = 512;
// Long names and pax records are read whole; more than this is not a name.
constexpr std::uint64_t kMaxMetadata = 1 << 20;

struct Field {
  std::size_t offset, length;
};
constexpr Field kName{0, 100}, kMode{100, 8}, kSize{124, 12}, kMtime{136, 12}, kChecksum{148, 8},
    kMagic{257, 6}, kPrefix{345, 155};
constexpr std::size_t kType = 156;

std::string_view text(const std::uint8_t* header, Field f) {
  const char* p = reinterpret_cast<const char*>(header + f.offset);
  return std::string_view(p, strnlen(p, f.length));
}

// Octal with optional blanks and NULs around it, or GNU base-256 when the
// first byte has its top bit set. Negative or overlong values fail.
bool readNumber(const std::uint8_t* header, Field f, std::uint64_t& out) {
  const std::uint8_t* p = header + f.offset;
  out = 0;
  if (p[0] & 0x80) {
    if (p[0] != 0x80) return false;  // 0xFF starts a negative number
    for (std::size_t i = 1; i < f.length; ++i) {
      if (out >> 56) return false;
      out = out << 8 | p[i];
    }
    return true;
  }
  std::size_t i = 0;
  while (i < f.length && p[i] == ' ') ++i;
  for (; i < f.length && p[i] >= '0' && p[i] <= '7'; ++i) {
    if (out >> 60) return false;
    out = out << 3 | static_cast<std::uint64_t>(p[i] - '0');
  }
  for (; i < f.length; ++i) {
    if (p[i] != ' ' && p[i] != 0) return false;
  }
  return true;  // an empty field reads as 0, as GNU tar takes it
}

bool isZeroBlock(const std::uint8_t* block) {
  return std::all_of(block, block + kBlock, [](std::uint8_t b) { return b == 0; });
}

// Old tars summed signed chars; both sums are accepted.
bool checksumMatches(const std::uint8_t* header) {
  std::uint64_t stored = 0;
  if (!readNumber(header, kChecksum, stored)) return false;
  std::int64_t signedSum = 0;
  std::uint64_t unsignedSum = 0;
  for (std::size_t i = 0; i < kBlock; ++i) {
    const bool inField = i >= kChecksum.offset && i < kChecksum.offset + kChecksum.length;
    const std::uint8_t b = inField ? ' ' : header[i];
    unsignedSum += b;
    signedSum += static_cast<std::int8_t>(b);
  }
  return stored == unsignedSum || static_cast<std::int64_t>(stored) == signedSum;
}

// What pax and GNU headers say about the next real header.
struct Pending {
  std::string path;
  bool hasPath = false;
  bool pathIsUtf8 = false;
  std::uint64_t size = 0;
  bool hasSize = false;
  std::int64_t mtime = 0;
  bool hasMtime = false;
};

std::uint64_t parseDecimal(std::string_view s, bool& ok) {
  std::uint64_t v = 0;
  ok = !s.empty();
  for (char c : s) {
    if (c < '0' || c > '9' || v > (UINT64_MAX - 9) / 10) {
      ok = false;
      return 0;
    }
    v = v * 10 + static_cast<std::uint64_t>(c - '0');
  }
  return v;
}

void applyPaxRecord(std::string_view key, std::string_view value, Pending& p, bool& binaryNames) {
  bool ok = false;
  if (key == "path") {
    p.path.assign(value);
    p.hasPath = true;
  } else if (key == "size") {
    p.size = parseDecimal(value, ok);
    p.hasSize = ok;
  } else if (key == "mtime") {
    const std::uint64_t whole = parseDecimal(value.substr(0, value.find('.')), ok);
    p.mtime = static_cast<std::int64_t>(std::min<std::uint64_t>(whole, INT64_MAX));
    p.hasMtime = ok;
  } else if (key == "hdrcharset") {
    binaryNames = value == "BINARY";
  }
}

// Records are "<length> <key>=<value>\n"; a bad record ends the parse.
bool parsePax(ByteSpan body, Pending& p) {
  std::string_view s(reinterpret_cast<const char*>(body.data()), body.size());
  bool binaryNames = false;
  while (!s.empty() && s.front() != '\0') {
    const std::size_t space = s.find(' ');
    bool ok = false;
    const std::uint64_t length = space == std::string_view::npos ? 0 : parseDecimal(s.substr(0, space), ok);
    if (!ok || length <= space + 1 || length > s.size() || s[length - 1] != '\n') return false;
    const std::string_view record = s.substr(space + 1, length - space - 2);
    const std::size_t eq = record.find('=');
    if (eq == std::string_view::npos) return false;
    applyPaxRecord(record.substr(0, eq), record.substr(eq + 1), p, binaryNames);
    s.remove_prefix(length);
  }
  p.pathIsUtf8 = p.hasPath && !binaryNames;
  return true;
}

class TarReader final : public ArchiveReader {
 public:
  TarReader(ByteSpan data, const Limits& limits) : data_(data), limits_(limits) {}
  Result list(std::vector<MemberEntry>& members) override;
  Result extract(const MemberEntry& member, Sink& sink) override;

 private:
  Result readMetadata(std::size_t at, std::uint64_t size, ByteSpan& body) const;
  MemberEntry makeEntry(const std::uint8_t* header, std::size_t dataAt, std::uint64_t size,
                        Pending& pending) const;

  ByteSpan data_;
  Limits limits_;
};

Result TarReader::readMetadata(std::size_t at, std::uint64_t size, ByteSpan& body) const {
  if (size > kMaxMetadata) return Result::tooLarge;
  if (size > data_.size() - at) return Result::corrupt;
  body = data_.subspan(at, static_cast<std::size_t>(size));
  return Result::ok;
}

MemberEntry TarReader::makeEntry(const std::uint8_t* header, std::size_t dataAt, std::uint64_t size,
                                 Pending& pending) const {
  MemberEntry m;
  if (pending.hasPath) {
    m.name = pending.path;
    m.nameIsUtf8 = pending.pathIsUtf8;
  } else {
    const std::string_view magic = text(header, kMagic);
    // POSIX ustar splits long names; GNU uses that space for other fields.
    const bool posix = magic == "ustar" && header[kMagic.offset + 5] == 0;
    const std::string_view prefix = posix ? text(header, kPrefix) : std::string_view{};
    m.name = prefix.empty() ? std::string(text(header, kName))
                            : std::string(prefix) + "/" + std::string(text(header, kName));
  }
  m.isFolder = header[kType] == '5' || (!m.name.empty() && m.name.back() == '/');
  m.size = m.isFolder ? 0 : size;
  m.packedSize = m.size;
  std::uint64_t mode = 0, mtime = 0;
  readNumber(header, kMode, mode);
  readNumber(header, kMtime, mtime);
  const CivilTime t = civilFromUnix(pending.hasMtime ? pending.mtime : static_cast<std::int64_t>(mtime));
  m.dosDate = dosDate(t);
  m.dosTime = dosTime(t);
  m.dosAttributes = dosAttributesFromUnixMode(static_cast<std::uint32_t>(mode), m.isFolder);
  m.method = m.isFolder ? "folder" : "stored";
  m.locator = dataAt;
  pending = Pending{};
  return m;
}

Result TarReader::list(std::vector<MemberEntry>& members) {
  Pending pending;
  LinkSet links;
  std::size_t at = 0;
  while (data_.size() - at >= kBlock) {
    const std::uint8_t* header = &data_[at];
    if (isZeroBlock(header)) return Result::ok;
    if (!checksumMatches(header)) return Result::corrupt;
    std::uint64_t size = 0;
    if (!readNumber(header, kSize, size)) return Result::corrupt;
    const std::uint8_t type = header[kType];
    const bool listed = type == '0' || type == 0 || type == '7' || type == '5';
    if (listed && pending.hasSize) size = pending.size;
    const std::size_t dataAt = at + kBlock;
    // Links, devices, FIFOs and volume labels carry no data of their own,
    // whatever their size field claims.
    const bool noData = std::strchr("123456V", type) != nullptr && type != 0 && type != '5';
    const std::uint64_t stored = noData ? 0 : size;
    // A member cut short keeps its intact header in the list, as archivers
    // show it; its extraction fails, and nothing after it can be found.
    const bool truncated = stored > data_.size() - dataAt;
    const std::uint64_t padded = (stored + kBlock - 1) / kBlock * kBlock;
    ByteSpan body;
    if (type == 'L' || type == 'x') {
      if (const Result r = readMetadata(dataAt, stored, body); r != Result::ok) return r;
      if (type == 'L') {
        const char* p = reinterpret_cast<const char*>(body.data());
        pending.path.assign(p, strnlen(p, body.size()));
        pending.hasPath = true;
        pending.pathIsUtf8 = false;
      } else if (!parsePax(body, pending)) {
        return Result::corrupt;
      }
    } else if (listed) {
      if (members.size() >= limits_.maxMembers) return Result::tooLarge;
      MemberEntry entry = makeEntry(header, dataAt, stored, pending);
      // Such a member was meant to be written through the link, wherever it points.
      if (!links.covers(entry.name)) members.push_back(std::move(entry));
    } else {
      if (type == '2') {
        links.add(pending.hasPath ? std::string_view(pending.path) : text(header, kName));
      }
      pending = Pending{};  // 'g', 'K', links and the rest: nothing to list
    }
    if (truncated) return Result::corrupt;
    at = dataAt + static_cast<std::size_t>(std::min<std::uint64_t>(padded, data_.size() - dataAt));
  }
  // A tar without its end blocks is common (concatenation, old tools).
  return Result::ok;
}

Result TarReader::extract(const MemberEntry& member, Sink& sink) {
  if (member.isFolder) return Result::ok;
  if (member.size > limits_.maxMemberSize) return Result::tooLarge;
  if (member.locator > data_.size() || member.size > data_.size() - member.locator) return Result::corrupt;
  const std::uint8_t* p = data_.data() + member.locator;
  std::uint64_t left = member.size;
  constexpr std::size_t kChunk = 1 << 20;
  while (left > 0) {
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left, kChunk));
    if (!sink.write(p, n)) return Result::ioError;
    p += n;
    left -= n;
  }
  return Result::ok;
}

}  // namespace

std::unique_ptr<ArchiveReader> openTar(ByteSpan data, const Limits& limits, Result& result) {
  // A tar starts with a header whose checksum holds, or with the zero block
  // of an empty archive.
  if (data.size() < kBlock || (!isZeroBlock(data.data()) && !checksumMatches(data.data()))) {
    result = Result::notThisFormat;
    return nullptr;
  }
  if (isZeroBlock(data.data()) && !std::all_of(data.begin(), data.end(), [](std::uint8_t b) { return b == 0; })) {
    // Zeros first and something else later is not a tar we can vouch for.
    result = Result::notThisFormat;
    return nullptr;
  }
  result = Result::ok;
  return std::make_unique<TarReader>(data, limits);
}

}  // namespace rivano::arc
