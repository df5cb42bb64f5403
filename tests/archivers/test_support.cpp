#include "tests/archivers/test_support.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "archivers/core/crc32.h"

namespace rivano::arc::test {
namespace {

std::string hostPath(std::string path) {
#ifdef _WIN32
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return "Z:" + path;
#else
  return path;
#endif
}

void put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}
void putText(std::vector<std::uint8_t>& out, const std::string& s) { out.insert(out.end(), s.begin(), s.end()); }

// Header of a local (central = false) or central entry.
void zipHeader(std::vector<std::uint8_t>& out, const TestMember& m, std::uint32_t crc, bool central,
               std::uint32_t localOffset) {
  const auto size = static_cast<std::uint32_t>(m.data.size());
  put32(out, central ? 0x02014b50 : 0x04034b50);
  if (central) put16(out, m.madeBy);
  put16(out, 20);
  put16(out, m.utf8Flag ? 0x0800 : 0);
  put16(out, 0);  // stored
  put16(out, m.dosTime);
  put16(out, m.dosDate);
  put32(out, crc);
  put32(out, size);
  put32(out, size);
  put16(out, static_cast<std::uint32_t>(m.name.size()));
  put16(out, 0);
  if (central) {
    put16(out, 0);
    put16(out, 0);
    put16(out, 0);
    put32(out, m.externalAttributes);
    put32(out, localOffset);
  }
  putText(out, m.name);
}

void tarOctal(std::uint8_t* field, std::size_t width, std::uint64_t value) {
  std::string digits(width - 1, '0');
  for (std::size_t i = width - 1; i-- > 0; value >>= 3) digits[i] = static_cast<char>('0' + (value & 7));
  std::memcpy(field, digits.data(), width - 1);
  field[width - 1] = 0;
}

void tarBlock(std::vector<std::uint8_t>& out, const std::string& name, char type, std::uint64_t size) {
  std::uint8_t h[512] = {};
  std::memcpy(h, name.data(), std::min<std::size_t>(name.size(), 100));
  tarOctal(h + 100, 8, 0644);
  tarOctal(h + 108, 8, 0);
  tarOctal(h + 116, 8, 0);
  tarOctal(h + 124, 12, size);
  tarOctal(h + 136, 12, 920808000);  // 1999-03-07 12:00 UTC
  h[156] = static_cast<std::uint8_t>(type);
  std::memcpy(h + 257, "ustar", 6);
  std::memcpy(h + 263, "00", 2);
  std::memset(h + 148, ' ', 8);
  unsigned sum = 0;
  for (std::uint8_t b : h) sum += b;
  tarOctal(h + 148, 7, sum);
  out.insert(out.end(), h, h + 512);
}

void tarData(std::vector<std::uint8_t>& out, const std::string& data) {
  putText(out, data);
  out.resize(out.size() + (512 - data.size() % 512) % 512, 0);
}

}  // namespace

std::string fixturePath(const std::string& name) { return hostPath(std::string(RIVANO_ARC_FIXTURES) + "/" + name); }

std::string sharedPath(const std::string& name) {
  return hostPath(std::string(RIVANO_SHARED_ARCHIVES) + "/" + name);
}

std::string fixtureInput(const std::string& member) {
  if (member == "\x95\x5c\x8e\x86.bmp") return fixturePath("hyoushi_original.bmp");
  if (member == "\x8e\xca\x90\x5e.jpg") return fixturePath("shashin_original.jpg");
  return fixturePath("in/" + member);
}

bool sharedCorpusPresent() { return std::ifstream(sharedPath("MANIFEST.md")).good(); }

std::vector<std::uint8_t> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::vector<std::uint8_t> storedZip(const std::vector<TestMember>& members) {
  std::vector<std::uint8_t> out, central;
  for (const TestMember& m : members) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(m.data.data());
    std::uint32_t crc = crc32Update(0, bytes, m.data.size());
    if (m.wrongCrc) crc ^= 0x5A5A5A5A;
    const auto offset = static_cast<std::uint32_t>(out.size());
    zipHeader(out, m, crc, false, 0);
    putText(out, m.data);
    zipHeader(central, m, crc, true, offset);
  }
  const auto directoryAt = static_cast<std::uint32_t>(out.size());
  out.insert(out.end(), central.begin(), central.end());
  put32(out, 0x06054b50);
  put32(out, 0);
  put16(out, static_cast<std::uint32_t>(members.size()));
  put16(out, static_cast<std::uint32_t>(members.size()));
  put32(out, static_cast<std::uint32_t>(central.size()));
  put32(out, directoryAt);
  put16(out, 0);
  return out;
}

std::vector<std::uint8_t> ustarTar(const std::vector<TestMember>& members) {
  std::vector<std::uint8_t> out;
  for (const TestMember& m : members) {
    if (m.name.size() >= 100) {
      tarBlock(out, "././@LongLink", 'L', m.name.size() + 1);
      tarData(out, m.name + '\0');
    }
    if (m.symlink) {
      tarBlock(out, m.name, '2', 0);
      continue;
    }
    const bool folder = !m.name.empty() && m.name.back() == '/';
    tarBlock(out, m.name, folder ? '5' : '0', m.data.size());
    tarData(out, m.data);
  }
  out.resize(out.size() + 1024, 0);
  return out;
}

Opened openAndList(Opener open, ByteSpan data, const Limits& limits) {
  Opened o;
  o.reader = open(data, limits, o.openResult);
  if (o.reader) o.listResult = o.reader->list(o.members);
  return o;
}

const MemberEntry* findMember(const std::vector<MemberEntry>& members, const std::string& name) {
  for (const MemberEntry& m : members) {
    if (m.name == name) return &m;
  }
  return nullptr;
}

std::string extractText(ArchiveReader& reader, const MemberEntry& member, Result& result) {
  VectorSink sink;
  result = reader.extract(member, sink);
  return std::string(sink.bytes.begin(), sink.bytes.end());
}

}  // namespace rivano::arc::test
