#include "tests/archivers/rar_writer.h"

#include "archivers/core/crc32.h"
#include "archivers/rar/blake2sp.h"

namespace rivano::arc::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

void put8(Bytes& b, std::uint32_t v) { b.push_back(static_cast<std::uint8_t>(v)); }
void put16(Bytes& b, std::uint32_t v) {
  put8(b, v);
  put8(b, v >> 8);
}
void put32(Bytes& b, std::uint32_t v) {
  put16(b, v & 0xFFFF);
  put16(b, v >> 16);
}
void putBytes(Bytes& b, const std::string& s) { b.insert(b.end(), s.begin(), s.end()); }
void vint(Bytes& b, std::uint64_t v) {
  while (v >= 0x80) {
    put8(b, static_cast<std::uint32_t>(v & 0x7F) | 0x80);
    v >>= 7;
  }
  put8(b, static_cast<std::uint32_t>(v));
}

std::uint32_t crcOf(const std::string& s) {
  return crc32Update(0, reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
}

std::uint64_t declared(const RarMember& m) {
  return m.declaredSize != ~std::uint64_t{0} ? m.declaredSize : m.data.size();
}

// A RAR 4 block: the CRC-16 goes in front of everything else.
void block4(Bytes& out, std::uint8_t type, std::uint16_t flags, const Bytes& body) {
  Bytes h;
  put8(h, type);
  put16(h, flags);
  put16(h, static_cast<std::uint32_t>(body.size() + 7));
  h.insert(h.end(), body.begin(), body.end());
  put16(out, crc32Update(0, h.data(), h.size()) & 0xFFFF);
  out.insert(out.end(), h.begin(), h.end());
}

// The packed Unicode form, written the plain way: every character as a
// whole code unit (flag 2), which any reader of the form understands.
Bytes packUnicode(const std::u16string& name) {
  Bytes out;
  put8(out, 0);  // high byte, unused by flag 2
  for (std::size_t i = 0; i < name.size(); i += 4) {
    put8(out, 0xAA);
    for (std::size_t k = i; k < i + 4 && k < name.size(); ++k) put16(out, name[k]);
  }
  return out;
}

}  // namespace

std::vector<std::uint8_t> rar4Archive(const std::vector<RarMember>& members, const RarOptions& options) {
  Bytes out(options.stubBytes, 0x90);
  putBytes(out, std::string("Rar!\x1A\x07\x00", 7));
  Bytes main;
  put16(main, 0);
  put32(main, 0);
  block4(out, 0x73,
         static_cast<std::uint16_t>((options.solid ? 0x0008 : 0) | (options.encryptedHeaders ? 0x0080 : 0)), main);
  for (const RarMember& m : members) {
    Bytes body;
    const std::uint64_t size = declared(m);
    const std::uint64_t packedSize = m.data.size();
    const bool large = size > 0xFFFFFFFFu || packedSize > 0xFFFFFFFFu;
    put32(body, static_cast<std::uint32_t>(m.data.size()));
    put32(body, static_cast<std::uint32_t>(size));
    put8(body, m.unixHost || m.symlink ? 3 : 2);
    std::uint32_t crc = m.method == 0 ? crcOf(m.data) : 0;
    if (m.wrongCrc) crc ^= 1;
    put32(body, crc);
    put32(body, std::uint32_t{m.dosDate} << 16 | m.dosTime);
    put8(body, static_cast<std::uint32_t>(m.unpackVersion));
    put8(body, static_cast<std::uint32_t>(0x30 + m.method));
    Bytes name(m.name.begin(), m.name.end());
    if (!m.unicodeName.empty()) {
      put8(name, 0);
      const Bytes packed = packUnicode(m.unicodeName);
      name.insert(name.end(), packed.begin(), packed.end());
    }
    put16(body, static_cast<std::uint32_t>(name.size()));
    std::uint32_t attributes = m.attributes;
    if (m.symlink) attributes = 0120777;
    if (m.folder) attributes = m.unixHost ? 040755 : 0x10;
    put32(body, attributes);
    if (large) {
      put32(body, static_cast<std::uint32_t>(packedSize >> 32));
      put32(body, static_cast<std::uint32_t>(size >> 32));
    }
    body.insert(body.end(), name.begin(), name.end());
    std::uint16_t flags = 0x8000;
    if (m.splitBefore) flags |= 0x0001;
    if (m.splitAfter) flags |= 0x0002;
    if (m.encrypted) flags |= 0x0004;
    if (m.solid) flags |= 0x0010;
    flags = static_cast<std::uint16_t>(flags | (m.folder ? 0xE0 : (m.dictionaryExponent & 7) << 5));
    if (large) flags |= 0x0100;
    if (!m.unicodeName.empty()) flags |= 0x0200;
    block4(out, m.service ? 0x7A : 0x74, flags, body);
    putBytes(out, m.data);
  }
  if (options.endBlock) block4(out, 0x7B, 0x4000, {});
  return out;
}

namespace {

// A RAR 5 header: CRC-32, size, then the fields given.
void header5(Bytes& out, const Bytes& fields) {
  Bytes h;
  vint(h, fields.size());
  h.insert(h.end(), fields.begin(), fields.end());
  put32(out, crc32Update(0, h.data(), h.size()));
  out.insert(out.end(), h.begin(), h.end());
}

}  // namespace

std::vector<std::uint8_t> rar5Archive(const std::vector<RarMember>& members, const RarOptions& options) {
  Bytes out(options.stubBytes, 0x90);
  putBytes(out, std::string("Rar!\x1A\x07\x01\x00", 8));
  if (options.encryptedHeaders) {
    Bytes f;
    vint(f, 4);  // archive encryption header
    vint(f, 0);
    vint(f, 0);  // version
    vint(f, 0);  // flags
    put8(f, 15);
    for (int i = 0; i < 16; ++i) put8(f, 0x11);
    header5(out, f);
    for (int i = 0; i < 64; ++i) put8(out, 0x5A);  // what would follow, encrypted
    return out;
  }
  {
    Bytes f;
    vint(f, 1);
    vint(f, 0);
    vint(f, options.solid ? 0x0004 : 0);
    header5(out, f);
  }
  for (const RarMember& m : members) {
    Bytes extra;
    auto record = [&extra](std::uint64_t type, const Bytes& data) {
      Bytes r;
      vint(r, type);
      r.insert(r.end(), data.begin(), data.end());
      vint(extra, r.size());
      extra.insert(extra.end(), r.begin(), r.end());
    };
    if (m.encrypted) {
      Bytes e;
      vint(e, 0);
      vint(e, 0);
      put8(e, 15);
      for (int i = 0; i < 16 + 16; ++i) put8(e, 0x22);
      record(1, e);
    }
    if (m.blake2) {
      rar::Blake2sp hash;
      hash.update(reinterpret_cast<const std::uint8_t*>(m.data.data()), m.data.size());
      auto digest = hash.finish();
      if (m.wrongBlake2) digest[0] ^= 1;
      Bytes h;
      vint(h, 0);
      h.insert(h.end(), digest.begin(), digest.end());
      record(2, h);
    }
    if (m.symlink || m.hardlink) {
      Bytes r;
      vint(r, m.symlink ? 1 : 4);
      vint(r, 0);
      const std::string target = m.symlink ? "../../outside" : "other.jpg";
      vint(r, target.size());
      putBytes(r, target);
      record(5, r);
    }
    Bytes f;
    vint(f, m.service ? 3 : 2);
    std::uint64_t headerFlags = 0x0001 | 0x0002;
    if (m.splitBefore) headerFlags |= 0x0008;
    if (m.splitAfter) headerFlags |= 0x0010;
    vint(f, headerFlags);
    vint(f, extra.size());
    vint(f, m.data.size());
    std::uint64_t fileFlags = 0x0002 | (m.blake2 ? 0 : 0x0004);
    if (m.folder) fileFlags |= 0x0001;
    vint(f, fileFlags);
    vint(f, declared(m));
    vint(f, m.folder ? (m.unixHost ? 040755u : 0x10u) : m.attributes);
    put32(f, m.unixTime);
    if (!m.blake2) {
      std::uint32_t crc = m.method == 0 ? crcOf(m.data) : 0;
      if (m.wrongCrc) crc ^= 1;
      put32(f, crc);
    }
    vint(f, (m.solid ? 0x40u : 0u) | static_cast<unsigned>(m.method) << 7 | m.dictionaryExponent << 10);
    vint(f, m.unixHost ? 1 : 0);
    vint(f, m.name.size());
    putBytes(f, m.name);
    f.insert(f.end(), extra.begin(), extra.end());
    header5(out, f);
    putBytes(out, m.data);
  }
  if (options.endBlock) {
    Bytes f;
    vint(f, 5);
    vint(f, 0);
    vint(f, 0);
    header5(out, f);
  }
  return out;
}

}  // namespace rivano::arc::test
