#include "archivers/arj/arj_reader.h"

#include <cstring>
#include <string>

#include "archivers/arj/arj_fast.h"
#include "archivers/core/byte_reader.h"
#include "archivers/core/crc32.h"
#include "archivers/core/dos_time.h"
#include "archivers/core/unix_entry.h"
#include "archivers/lzh/lzh_decoder.h"

namespace rivano::arc {

namespace {

std::uint16_t le16(const std::uint8_t* p) { return loadLe16(p); }
std::uint32_t le32(const std::uint8_t* p) { return loadLe32(p); }

constexpr std::size_t kMaxBasicHeader = 2600;
constexpr std::size_t kSfxScan = 64 * 1024;
constexpr std::size_t kMinFirstHeader = 30;
// Header flags.
constexpr std::uint8_t kGarbled = 0x01, kVolume = 0x04, kExtFile = 0x08;
// File types.
constexpr std::uint8_t kUnixHost = 2;
constexpr std::uint8_t kBinary = 0, kText = 1, kMainHeader = 2, kDirectory = 3;

// Where a basic header lies: [at, at + 4 + size + 4), its body at at + 4.
struct Basic {
  std::size_t at = 0;
  std::size_t size = 0;  // 0 marks the end of the archive
  std::size_t end = 0;   // offset after the header's extensions
};

// ok, or corrupt for a bad id, size or CRC anywhere in the header.
Result readBasic(ByteSpan d, std::size_t at, Basic& b) {
  if (at > d.size() || d.size() - at < 4) return Result::corrupt;
  const std::uint8_t* p = d.data() + at;
  if (p[0] != 0x60 || p[1] != 0xEA) return Result::corrupt;
  b.at = at;
  b.size = le16(p + 2);
  if (b.size == 0) {
    b.end = at + 4;
    return Result::ok;
  }
  if (b.size < kMinFirstHeader || b.size > kMaxBasicHeader || d.size() - at < 4 + b.size + 4) return Result::corrupt;
  if (crc32Update(0, p + 4, b.size) != le32(p + 4 + b.size)) return Result::corrupt;
  if (p[4] < kMinFirstHeader || p[4] > b.size) return Result::corrupt;
  // Extended headers: a size, the data and its CRC, until a zero size.
  std::size_t q = at + 4 + b.size + 4;
  for (;;) {
    if (d.size() - q < 2) return Result::corrupt;
    std::size_t n = le16(d.data() + q);
    q += 2;
    if (n == 0) break;
    if (d.size() - q < n + 4) return Result::corrupt;
    q += n + 4;
  }
  b.end = q;
  return Result::ok;
}

class ArjReader final : public ArchiveReader {
 public:
  ArjReader(ByteSpan data, const Limits& limits, std::size_t first) : data_(data), limits_(limits), first_(first) {}
  Result list(std::vector<MemberEntry>& members) override;
  Result extract(const MemberEntry& member, Sink& sink) override;

 private:
  Result member(const Basic& b, MemberEntry& e, bool& listed) const;

  ByteSpan data_;
  Limits limits_;
  std::size_t first_;  // first local header, after the main header
};

Result ArjReader::member(const Basic& b, MemberEntry& e, bool& listed) const {
  const std::uint8_t* p = data_.data() + b.at + 4;
  const std::uint8_t flags = p[4], method = p[5], type = p[6], hostOs = p[3];
  listed = type == kBinary || type == kText || type == kDirectory;
  e = MemberEntry{};
  const std::size_t firstSize = p[0];
  const char* name = reinterpret_cast<const char*>(p + firstSize);
  const void* nul = std::memchr(name, 0, b.size - firstSize);
  e.name.assign(name, nul ? static_cast<const char*>(nul) : name + (b.size - firstSize));
  for (char& c : e.name) {
    if (c == '/') c = '\\';
  }
  if (hostOs == kUnixHost) {
    // ARJ built for Unix keeps the modification time as seconds since 1970.
    const CivilTime t = civilFromUnix(le32(p + 8));
    e.dosDate = dosDate(t);
    e.dosTime = dosTime(t);
  } else {
    e.dosTime = le16(p + 8);
    e.dosDate = le16(p + 10);
  }
  e.packedSize = le32(p + 12);
  e.size = le32(p + 16);
  e.crc = le32(p + 20);
  // MS-DOS, OS/2 and Windows hosts store DOS attributes, Unix a mode; what
  // other hosts store is not read.
  const bool dosHost = hostOs == 0 || hostOs == 5 || hostOs == 10 || hostOs == 11;
  e.dosAttributes = dosHost              ? static_cast<std::uint8_t>(le16(p + 26) & 0x27)
                    : hostOs == kUnixHost ? dosAttributesFromUnixMode(le16(p + 26), false)
                                          : 0x20;
  e.isFolder = type == kDirectory;
  if (e.isFolder) {
    e.dosAttributes = 0x10;
    e.size = 0;
  }
  e.method = method == 0 ? "stored" : "m" + std::to_string(method);
  if (flags & kGarbled) e.method += " encrypted";
  e.locator = b.end;
  e.locator2 = static_cast<std::uint64_t>(method) | (static_cast<std::uint64_t>(flags) << 8);
  if (e.packedSize > data_.size() - b.end) return Result::corrupt;
  return Result::ok;
}

Result ArjReader::list(std::vector<MemberEntry>& members) {
  members.clear();
  std::size_t at = first_;
  for (;;) {
    // No end marker after the last member is tolerated; a cut header is not.
    if (at == data_.size()) return Result::ok;
    Basic b;
    Result r = readBasic(data_, at, b);
    if (r != Result::ok) return r;
    if (b.size == 0) return Result::ok;
    MemberEntry e;
    bool listed = false;
    r = member(b, e, listed);
    if (r != Result::ok) return r;
    at = static_cast<std::size_t>(e.locator + e.packedSize);
    if (!listed) continue;
    if (members.size() >= limits_.maxMembers) return Result::tooLarge;
    members.push_back(std::move(e));
  }
}

struct StoredCopy {
  ByteSpan in;
  std::size_t at = 0;
  Result read(std::uint8_t* out, std::size_t cap, std::size_t& produced) {
    std::memcpy(out, in.data() + at, cap);
    at += cap;
    produced = cap;
    return Result::ok;
  }
};

Result ArjReader::extract(const MemberEntry& m, Sink& sink) {
  if (m.isFolder) return Result::ok;
  const auto method = static_cast<std::uint8_t>(m.locator2 & 0xFF);
  const auto flags = static_cast<std::uint8_t>((m.locator2 >> 8) & 0xFF);
  if (flags & (kGarbled | kVolume | kExtFile)) return Result::unsupportedMethod;
  if (method > 4) return Result::unsupportedMethod;
  if (m.locator > data_.size() || m.packedSize > data_.size() - m.locator) return Result::corrupt;
  if (m.size > limits_.maxMemberSize) return Result::tooLarge;
  ByteSpan packed = data_.subspan(static_cast<std::size_t>(m.locator), static_cast<std::size_t>(m.packedSize));
  std::uint32_t crc = 0;
  auto check = [&crc](const std::uint8_t* p, std::size_t n) { crc = crc32Update(crc, p, n); };
  Result r;
  if (method == 0) {
    if (m.packedSize < m.size) return Result::corrupt;
    StoredCopy copy{packed};
    r = lz::pumpToSink(copy, m.size, sink, check);
  } else if (method == 4) {
    arj::FastDecoder decoder(packed);
    r = lz::pumpToSink(decoder, m.size, sink, check);
  } else {
    lz::LzHuffDecoder decoder(packed, lz::arjParams());
    r = lz::pumpToSink(decoder, m.size, sink, check);
  }
  if (r != Result::ok) return r;
  return crc == m.crc ? Result::ok : Result::corrupt;
}

}  // namespace

std::unique_ptr<ArchiveReader> openArj(ByteSpan data, const Limits& limits, Result& result) {
  const std::size_t scan = data.size() < kSfxScan ? data.size() : kSfxScan;
  for (std::size_t at = 0; at + 4 <= data.size() && at < scan; ++at) {
    if (data[at] != 0x60 || data[at + 1] != 0xEA) continue;
    Basic b;
    const bool good = readBasic(data, at, b) == Result::ok && b.size != 0 && data[at + 4 + 6] == kMainHeader;
    if (!good && at == 0) {
      // The archive starts here but its main header is damaged.
      result = Result::corrupt;
      return nullptr;
    }
    if (!good) continue;
    result = Result::ok;
    return std::make_unique<ArjReader>(data, limits, b.end);
  }
  result = Result::notThisFormat;
  return nullptr;
}

}  // namespace rivano::arc
