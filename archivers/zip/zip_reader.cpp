#include "archivers/zip/zip_reader.h"

#include <algorithm>

#include "archivers/core/byte_reader.h"
#include "archivers/core/crc32.h"
#include "archivers/core/unix_entry.h"
#include "archivers/deflate/inflate64.h"
#include "archivers/deflate/inflate_raw.h"
#include "archivers/zip/zip_attributes.h"
#ifdef RIVANO_ZIP_BZIP2
#include "archivers/bzip2/bzip2_decoder.h"
#endif

namespace rivano::arc {
namespace {

constexpr std::uint32_t kLocalSig = 0x04034b50;
constexpr std::uint32_t kCentralSig = 0x02014b50;
constexpr std::uint32_t kEndSig = 0x06054b50;
constexpr std::uint32_t kZip64EndSig = 0x06064b50;
constexpr std::uint32_t kZip64LocatorSig = 0x07064b50;
constexpr std::size_t kEndSize = 22;
constexpr std::size_t kLocalSize = 30;
constexpr std::size_t kMaxComment = 0xFFFF;
constexpr std::uint16_t kFlagEncrypted = 0x0001;
constexpr std::uint16_t kFlagUtf8 = 0x0800;

struct Directory {
  std::uint64_t offset = 0;  // where the central directory starts in the data
  std::uint64_t size = 0;
  std::uint64_t count = 0;
  std::uint64_t bias = 0;    // bytes in front of the archive (self-extractor stub)
};

// Zip64 end record, found through its locator just before the classic one.
bool readZip64End(ByteSpan data, std::size_t endAt, Directory& dir, std::size_t& recordAt) {
  if (endAt < 20) return false;
  ByteReader loc(data, endAt - 20);
  std::uint32_t sig = 0, disk = 0;
  std::uint64_t offset = 0;
  if (!loc.u32(sig) || sig != kZip64LocatorSig || !loc.u32(disk) || !loc.u64(offset)) return false;
  // The stated offset is wrong by the stub length in a self-extractor, and
  // the record normally sits right before the locator, so try both.
  for (std::uint64_t candidate : {offset, std::uint64_t{endAt - 20 >= 56 ? endAt - 20 - 56 : 0}}) {
    ByteReader r(data);
    std::uint32_t s = 0;
    if (!r.seek(candidate) || !r.u32(s) || s != kZip64EndSig || !r.skip(8 + 2 + 2 + 4 + 4 + 8)) continue;
    if (!r.u64(dir.count) || !r.u64(dir.size) || !r.u64(dir.offset)) continue;
    recordAt = static_cast<std::size_t>(candidate);
    return true;
  }
  return false;
}

// The directory an end record at `endAt` describes, if it holds up: its
// start must be inside the data and carry a central header signature.
bool directoryAt(ByteSpan data, std::size_t endAt, Directory& dir) {
  ByteReader r(data, endAt + 10);
  std::uint16_t count = 0;
  std::uint32_t size = 0, offset = 0;
  if (!r.u16(count) || !r.u32(size) || !r.u32(offset)) return false;
  dir.count = count;
  dir.size = size;
  dir.offset = offset;
  std::size_t directoryEnd = endAt;
  std::size_t zip64At = 0;
  if (readZip64End(data, endAt, dir, zip64At)) directoryEnd = zip64At;
  if (dir.size > directoryEnd) return false;
  const std::uint64_t actualStart = directoryEnd - dir.size;
  if (actualStart < dir.offset) return false;
  dir.bias = actualStart - dir.offset;
  dir.offset = actualStart;
  return dir.count == 0 || (actualStart + 4 <= data.size() && loadLe32(&data[actualStart]) == kCentralSig);
}

// End records are searched from the end back over the longest comment; a
// comment may itself contain the signature, so each candidate is checked.
Result readDirectory(ByteSpan data, Directory& dir) {
  bool sawEnd = false;
  if (data.size() >= kEndSize) {
    const std::size_t last = data.size() - kEndSize;
    const std::size_t first = last > kMaxComment ? last - kMaxComment : 0;
    for (std::size_t pos = last + 1; pos-- > first;) {
      if (loadLe32(&data[pos]) != kEndSig || pos + kEndSize + loadLe16(&data[pos + 20]) > data.size()) continue;
      sawEnd = true;
      if (directoryAt(data, pos, dir)) return Result::ok;
    }
  }
  const bool localFirst = data.size() >= 4 && loadLe32(data.data()) == kLocalSig;
  return sawEnd || localFirst ? Result::corrupt : Result::notThisFormat;
}

std::string methodText(std::uint16_t method) {
  switch (method) {
    case 0: return "stored";
    case 8: return "deflate";
    case 9: return "deflt64";
    case 12: return "bzip2";
    case 14: return "lzma";
    case 93: return "zstd";
    case 98: return "ppmd";
    case 99: return "aes";
    default: return "m" + std::to_string(method);
  }
}

struct CentralFields {
  std::uint16_t madeBy = 0, flags = 0, method = 0, time = 0, date = 0;
  std::uint32_t crc = 0, packed = 0, size = 0, externalAttributes = 0, localOffset = 0;
  std::uint16_t nameLength = 0, extraLength = 0, commentLength = 0;
};

bool readCentralFields(ByteReader& r, CentralFields& f) {
  std::uint32_t sig = 0;
  std::uint16_t needed = 0, disk = 0, internal = 0;
  return r.u32(sig) && sig == kCentralSig && r.u16(f.madeBy) && r.u16(needed) && r.u16(f.flags) &&
         r.u16(f.method) && r.u16(f.time) && r.u16(f.date) && r.u32(f.crc) && r.u32(f.packed) &&
         r.u32(f.size) && r.u16(f.nameLength) && r.u16(f.extraLength) && r.u16(f.commentLength) &&
         r.u16(disk) && r.u16(internal) && r.u32(f.externalAttributes) && r.u32(f.localOffset);
}

// Zip64 sizes and offset, and the Info-ZIP Unicode path when it still
// belongs to the stored name (its CRC says which name it was made from).
void applyExtraFields(ByteSpan extra, ByteSpan rawName, const CentralFields& f, MemberEntry& m,
                      std::uint64_t& localOffset) {
  ByteReader r(extra);
  std::uint16_t id = 0, length = 0;
  ByteSpan body;
  while (r.u16(id) && r.u16(length) && r.bytes(length, body)) {
    ByteReader b(body);
    if (id == 0x0001) {
      if (f.size == 0xFFFFFFFF && !b.u64(m.size)) return;
      if (f.packed == 0xFFFFFFFF && !b.u64(m.packedSize)) return;
      if (f.localOffset == 0xFFFFFFFF && !b.u64(localOffset)) return;
    } else if (id == 0x7075 && (f.flags & kFlagUtf8) == 0) {
      std::uint8_t version = 0;
      std::uint32_t nameCrc = 0;
      if (b.u8(version) && version == 1 && b.u32(nameCrc) && b.remaining() > 0 &&
          nameCrc == crc32Update(0, rawName.data(), rawName.size())) {
        ByteSpan utf8;
        b.bytes(b.remaining(), utf8);
        m.name.assign(utf8.begin(), utf8.end());
        m.nameIsUtf8 = true;
      }
    }
  }
}

MemberEntry makeEntry(const CentralFields& f, ByteSpan name, ByteSpan extra, std::uint64_t bias, bool& isSymlink) {
  MemberEntry m;
  m.name.assign(name.begin(), name.end());
  m.nameIsUtf8 = (f.flags & kFlagUtf8) != 0;
  m.size = f.size;
  m.packedSize = f.packed;
  m.crc = f.crc;
  m.dosDate = f.date;
  m.dosTime = f.time;
  std::uint64_t localOffset = f.localOffset;
  applyExtraFields(extra, name, f, m, localOffset);
  const ZipMemberKind kind = zipMemberKind(f.madeBy, f.externalAttributes, m.name, m.nameIsUtf8, m.size);
  m.isFolder = kind.isFolder;
  isSymlink = kind.isSymlink;
  m.dosAttributes = kind.dosAttributes;
  m.method = methodText(f.method);
  m.locator = localOffset + bias;
  m.locator2 = std::uint64_t{f.flags} | std::uint64_t{f.method} << 16;
  return m;
}

class ZipReader final : public ArchiveReader {
 public:
  ZipReader(ByteSpan data, const Limits& limits, const Directory& dir)
      : data_(data), limits_(limits), dir_(dir) {}

  Result list(std::vector<MemberEntry>& members) override {
    ByteReader r(data_, 0);
    if (!r.seek(dir_.offset)) return Result::corrupt;
    LinkSet links;
    for (std::uint64_t i = 0; i < dir_.count; ++i) {
      if (members.size() >= limits_.maxMembers) return Result::tooLarge;
      CentralFields f;
      ByteSpan name, extra, comment;
      if (!readCentralFields(r, f) || !r.bytes(f.nameLength, name) || !r.bytes(f.extraLength, extra) ||
          !r.bytes(f.commentLength, comment)) {
        return Result::corrupt;
      }
      bool isSymlink = false;
      MemberEntry m = makeEntry(f, name, extra, dir_.bias, isSymlink);
      // A link's data is its target's name, not a file of its own; and a
      // member meant to be written through a link is not placed either.
      if (isSymlink) {
        links.add(m.name);
      } else if (!links.covers(m.name)) {
        members.push_back(std::move(m));
      }
    }
    return Result::ok;
  }

  Result extract(const MemberEntry& member, Sink& sink) override;

 private:
  Result memberData(const MemberEntry& member, ByteSpan& out) const;

  ByteSpan data_;
  Limits limits_;
  Directory dir_;
};

Result ZipReader::memberData(const MemberEntry& member, ByteSpan& out) const {
  ByteReader r(data_);
  std::uint32_t sig = 0;
  if (!r.seek(member.locator) || !r.u32(sig) || sig != kLocalSig || !r.skip(kLocalSize - 4 - 4)) {
    return Result::corrupt;
  }
  std::uint16_t nameLength = 0, extraLength = 0;
  if (!r.u16(nameLength) || !r.u16(extraLength) || !r.skip(std::uint64_t{nameLength} + extraLength) ||
      !r.bytes(member.packedSize, out)) {
    return Result::corrupt;
  }
  return Result::ok;
}

// Counts and checks what a stored member writes.
class CheckingSink final : public Sink {
 public:
  explicit CheckingSink(Sink& inner) : inner_(inner) {}
  bool write(const std::uint8_t* data, std::size_t size) override {
    crc_.update(data, size);
    return inner_.write(data, size);
  }
  std::uint32_t crc() const { return crc_.value(); }

 private:
  Sink& inner_;
  Crc32 crc_;
};

bool decodable(std::uint16_t method) {
#ifdef RIVANO_ZIP_BZIP2
  if (method == 12) return true;
#endif
  return method == 0 || method == 8 || method == 9;
}

#ifdef RIVANO_ZIP_BZIP2
// Method 12 (7-Zip writes it): one bzip2 stream of exactly `expected` bytes.
Result unbzip2(ByteSpan packed, std::uint64_t expected, Sink& sink, std::uint32_t& crc) {
  bz2::Decoder decoder(packed);
  std::vector<std::uint8_t> buffer(64 * 1024);
  Crc32 check;
  std::uint64_t total = 0;
  for (;;) {
    std::size_t produced = 0;
    if (const Result r = decoder.read(buffer.data(), buffer.size(), produced); r != Result::ok) return r;
    if (produced > expected - total) return Result::corrupt;
    if (produced > 0 && !sink.write(buffer.data(), produced)) return Result::ioError;
    check.update(buffer.data(), produced);
    total += produced;
    if (produced < buffer.size()) break;  // the decoder only comes up short at the end
  }
  crc = check.value();
  return total == expected ? Result::ok : Result::corrupt;
}
#endif

Result ZipReader::extract(const MemberEntry& member, Sink& sink) {
  if (member.isFolder) return Result::ok;
  const auto flags = static_cast<std::uint16_t>(member.locator2 & 0xFFFF);
  const auto method = static_cast<std::uint16_t>(member.locator2 >> 16);
  if ((flags & kFlagEncrypted) != 0 || !decodable(method)) return Result::unsupportedMethod;
  if (member.size > limits_.maxMemberSize) return Result::tooLarge;
  ByteSpan packed;
  if (const Result r = memberData(member, packed); r != Result::ok) return r;
  std::uint32_t crc = 0;
  if (method == 0) {
    if (member.packedSize != member.size) return Result::corrupt;
    CheckingSink checking(sink);
    if (!packed.empty() && !checking.write(packed.data(), packed.size())) return Result::ioError;
    crc = checking.crc();
#ifdef RIVANO_ZIP_BZIP2
  } else if (method == 12) {
    if (const Result r = unbzip2(packed, member.size, sink, crc); r != Result::ok) return r;
#endif
  } else {
    const InflateOutcome out = method == 9 ? inflate64(packed, member.size, sink) : inflateRaw(packed, member.size, sink);
    // More output than declared is a broken member, not a big one.
    if (out.result == Result::tooLarge) return Result::corrupt;
    if (out.result != Result::ok) return out.result;
    if (out.produced != member.size) return Result::corrupt;
    crc = out.crc;
  }
  return crc == member.crc ? Result::ok : Result::corrupt;
}

}  // namespace

std::unique_ptr<ArchiveReader> openZip(ByteSpan data, const Limits& limits, Result& result) {
  Directory dir;
  result = readDirectory(data, dir);
  if (result != Result::ok) return nullptr;
  return std::make_unique<ZipReader>(data, limits, dir);
}

}  // namespace rivano::arc
