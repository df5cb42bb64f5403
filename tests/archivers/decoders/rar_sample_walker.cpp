#include "tests/archivers/decoders/rar_sample_walker.h"

#include <cstring>

namespace rivano::arc::test {
namespace {

struct Cursor {
  ByteSpan d;
  std::size_t at = 0;
  bool ok = true;
  std::uint64_t vint() {
    std::uint64_t v = 0;
    for (unsigned shift = 0; shift < 64; shift += 7) {
      if (at >= d.size()) break;
      const std::uint8_t b = d[at++];
      v |= std::uint64_t{b & 0x7fu} << shift;
      if ((b & 0x80) == 0) return v;
    }
    ok = false;
    return 0;
  }
  std::uint64_t le(unsigned n) {
    if (at + n > d.size()) {
      ok = false;
      return 0;
    }
    std::uint64_t v = 0;
    for (unsigned i = 0; i < n; ++i) v |= std::uint64_t{d[at + i]} << (8 * i);
    at += n;
    return v;
  }
};

void readRar5File(Cursor c, std::uint64_t archiveFlags, RarSampleMember& m) {
  const std::uint64_t fileFlags = c.vint();
  m.unpackedSize = c.vint();
  c.vint();  // attributes
  if (fileFlags & 2) c.le(4);
  if (fileFlags & 4) m.crc = static_cast<std::uint32_t>(c.le(4));
  const std::uint64_t info = c.vint();
  c.vint();  // host
  const std::uint64_t nameLength = c.vint();
  if (c.ok && c.at + nameLength <= c.d.size()) m.name.assign(reinterpret_cast<const char*>(&c.d[c.at]), nameLength);
  m.version = info & 0x3f;
  m.solid = (info & 0x40) != 0;
  m.method = (info >> 7) & 7;
  m.dictionary = std::uint64_t{0x20000} << ((info >> 10) & (m.version == 0 ? 15 : 31));
  if (m.version == 1) m.dictionary += m.dictionary / 32 * ((info >> 15) & 31);
  m.isFolder = (fileFlags & 1) != 0;
  (void)archiveFlags;
}

}  // namespace

std::vector<RarSampleMember> walkRar5(ByteSpan a) {
  std::vector<RarSampleMember> out;
  static const std::uint8_t kSig[] = {'R', 'a', 'r', '!', 0x1a, 7, 1, 0};
  if (a.size() < 8 || std::memcmp(a.data(), kSig, 8) != 0) return out;
  std::size_t at = 8;
  std::uint64_t archiveFlags = 0;
  while (at + 4 < a.size()) {
    Cursor c{a, at + 4};
    const std::uint64_t headerSize = c.vint();
    const std::size_t bodyStart = c.at;
    const std::uint64_t type = c.vint();
    const std::uint64_t flags = c.vint();
    if (flags & 1) c.vint();
    const std::uint64_t dataSize = (flags & 2) ? c.vint() : 0;
    if (!c.ok || bodyStart + headerSize + dataSize > a.size()) break;
    const std::size_t dataStart = bodyStart + headerSize;
    if (type == 1) archiveFlags = Cursor{a, c.at}.vint();
    if (type == 2) {
      RarSampleMember m;
      readRar5File(c, archiveFlags, m);
      m.packed = a.subspan(dataStart, dataSize);
      out.push_back(m);
    }
    if (type == 5) break;
    at = dataStart + dataSize;
  }
  return out;
}

std::vector<RarSampleMember> walkRar4(ByteSpan a) {
  std::vector<RarSampleMember> out;
  static const std::uint8_t kSig[] = {'R', 'a', 'r', '!', 0x1a, 7, 0};
  if (a.size() < 7 || std::memcmp(a.data(), kSig, 7) != 0) return out;
  std::size_t at = 7;
  while (at + 7 <= a.size()) {
    Cursor c{a, at + 2};
    const auto type = c.le(1);
    const auto flags = c.le(2);
    const auto headerSize = c.le(2);
    if (headerSize < 7) break;
    std::uint64_t dataSize = (flags & 0x8000) ? c.le(4) : 0;  // a file header's packed size
    if (type == 0x74) {
      RarSampleMember m;
      m.unpackedSize = c.le(4);
      c.le(1);
      m.crc = static_cast<std::uint32_t>(c.le(4));
      c.le(4);
      m.version = static_cast<unsigned>(c.le(1));
      m.method = static_cast<unsigned>(c.le(1)) - 0x30;
      const auto nameSize = c.le(2);
      c.le(4);
      if (flags & 0x100) {
        dataSize |= c.le(4) << 32;
        m.unpackedSize |= c.le(4) << 32;
      }
      if (c.ok && c.at + nameSize <= a.size()) m.name.assign(reinterpret_cast<const char*>(&a[c.at]), nameSize);
      m.solid = (flags & 0x10) != 0;
      m.isFolder = (flags & 0xe0) == 0xe0;
      m.dictionary = std::uint64_t{0x10000} << ((flags >> 5) & 7);
      if (at + headerSize + dataSize > a.size()) break;
      m.packed = a.subspan(at + headerSize, dataSize);
      out.push_back(m);
    }
    if (!c.ok || type == 0x7b) break;
    at += headerSize + dataSize;
  }
  return out;
}

}  // namespace rivano::arc::test
