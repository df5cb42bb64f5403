// Tests of the RAR 2.x and 3.x decoders on their own. Streams are written by
// a small encoder here (flat code tables, so each code is its symbol number
// in a fixed width), which lets each case say exactly which codes it holds;
// real archives of the shared corpus, when present, check truncation.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "archivers/core/crc32.h"
#include "archivers/rar/rar_unpack.h"
#include "archivers/rar/v29/filters.h"

namespace rivano::arc::rar {
namespace {

using Bytes = std::vector<std::uint8_t>;

class BitWriter {
 public:
  void put(std::uint32_t value, unsigned bits) {
    for (unsigned i = bits; i-- > 0;) {
      if (fill_ == 0) bytes_.push_back(0);
      if ((value >> i) & 1) bytes_.back() |= static_cast<std::uint8_t>(0x80 >> fill_);
      fill_ = (fill_ + 1) & 7;
    }
  }
  void alignToByte() { fill_ = 0; }
  Bytes bytes() const { return bytes_; }

 private:
  Bytes bytes_;
  unsigned fill_ = 0;
};

Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }

// Finds the slot whose range holds `value` in a base/extra-bits table.
template <std::size_t N>
unsigned slotFor(const std::uint32_t (&base)[N], const std::uint8_t (&bits)[N], std::uint32_t value) {
  for (unsigned s = N; s-- > 0;) {
    if (value >= base[s]) {
      EXPECT_LT(value - base[s], 1u << bits[s]) << "value " << value << " falls between slots";
      return s;
    }
  }
  ADD_FAILURE() << "no slot for " << value;
  return 0;
}

constexpr std::uint32_t kLengthBase[28] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  10,  12,  14,  16,  20,
                                           24, 28, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224};
constexpr std::uint8_t kLengthBits[28] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2,
                                          2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5};
// The first sixteen distance slots (enough for the distances used here).
constexpr std::uint32_t kDistBase[16] = {0, 1, 2, 3, 4, 6, 8, 12, 16, 24, 32, 48, 64, 96, 128, 192};
constexpr std::uint8_t kDistBits[16] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6};

// RAR 3.x LZ stream writer. Every table is flat: level codes 5 bits, main
// codes 9 bits, distance codes 6 bits, low-distance and repeat codes 5 bits.
class Rar3Writer {
 public:
  // An LZ block header: the level table, then every code length through it.
  void tables(bool keepOld = false) {
    w_.alignToByte();
    w_.put(0, 1);  // LZ, not PPMd
    w_.put(keepOld ? 1 : 0, 1);
    for (int i = 0; i < 20; ++i) w_.put(5, 4);
    auto lengths = [&](unsigned count, unsigned length) {
      for (unsigned i = 0; i < count; ++i) w_.put(length, 5);  // level symbol = length (old table zero)
    };
    lengths(299, 9);
    lengths(60, 6);
    lengths(17, 5);
    lengths(28, 5);
  }
  void literal(std::uint8_t b) { w_.put(b, 9); }
  void literals(const std::string& s) {
    for (char c : s) literal(static_cast<std::uint8_t>(c));
  }
  // A match with its own distance, shorter than 0x2000 (no length bonus).
  void match(std::uint32_t length, std::uint32_t distance) {
    const unsigned l = slotFor(kLengthBase, kLengthBits, length - 3);
    w_.put(271 + l, 9);
    if (kLengthBits[l] != 0) w_.put(length - 3 - kLengthBase[l], kLengthBits[l]);
    const unsigned d = slotFor(kDistBase, kDistBits, distance - 1);
    w_.put(d, 6);
    const std::uint32_t extra = distance - 1 - kDistBase[d];
    if (d > 9) {
      if (kDistBits[d] > 4) w_.put(extra >> 4, kDistBits[d] - 4);
      w_.put(extra & 15, 5);  // low-distance code
    } else if (kDistBits[d] != 0) {
      w_.put(extra, kDistBits[d]);
    }
  }
  void repeatLast() { w_.put(258, 9); }
  // Match at the n-th most recent distance (0 = newest).
  void repeatDistance(unsigned n, std::uint32_t length) {
    w_.put(259 + n, 9);
    const unsigned l = slotFor(kLengthBase, kLengthBits, length - 2);
    w_.put(l, 5);
    if (kLengthBits[l] != 0) w_.put(length - 2 - kLengthBase[l], kLengthBits[l]);
  }
  // Two bytes from distance 1 to 8 (short slot 0 or 1).
  void shortMatch(std::uint32_t distance) {
    const unsigned s = distance <= 4 ? 0 : 1;
    w_.put(263 + s, 9);
    w_.put(distance - 1 - s * 4, 2);
  }
  void endOfMember(bool newTablesNext = false) {
    w_.put(256, 9);
    w_.put(newTablesNext ? 1 : 0, 2);
  }
  // A filter record (code 257): flag bits, the record's size, its bytes.
  void filterRecord(std::uint8_t flags, const Bytes& record) {
    w_.put(257, 9);
    const std::size_t n = record.size();
    if (n <= 6) {
      w_.put(flags | static_cast<std::uint8_t>(n - 1), 8);
    } else if (n < 7 + 256) {
      w_.put(flags | 6, 8);
      w_.put(static_cast<std::uint32_t>(n - 7), 8);
    } else {
      w_.put(flags | 7, 8);
      w_.put(static_cast<std::uint32_t>(n), 16);
    }
    for (std::uint8_t b : record) w_.put(b, 8);
  }
  Bytes bytes() const { return w_.bytes(); }

 private:
  BitWriter w_;
};

struct Outcome {
  Result result;
  Bytes bytes;
};

Outcome unpack(Unpacker& u, const Bytes& packed, std::uint64_t size, bool solid = false) {
  VectorSink sink;
  const Result r = u.unpack(ByteSpan(packed.data(), packed.size()), size, solid, sink);
  return {r, sink.bytes};
}

TEST(Rar3Lz, LiteralsMatchesAndRepeatsRebuildTheText) {
  Rar3Writer w;
  w.tables();
  w.literals("abcd");
  w.match(8, 4);           // abcdabcd
  w.literal('x');
  w.repeatLast();          // the last match again: 8 bytes from 4 back
  w.shortMatch(2);         // two bytes from 2 back
  w.repeatDistance(1, 3);  // the distance before the newest (4): 3 bytes
  w.endOfMember();
  const std::string expected = "abcdabcdabcdx" "bcdxbcdx" "dx" "dxd";
  auto u = makeUnpacker29(1 << 20);
  const Outcome out = unpack(*u, w.bytes(), expected.size());
  ASSERT_EQ(out.result, Result::ok);
  EXPECT_EQ(out.bytes, text(expected));
}

TEST(Rar3Lz, SolidMemberContinuesTheWindowAndTables) {
  Rar3Writer first;
  first.tables();
  first.literals("solid stream ");
  first.endOfMember();
  Rar3Writer second;  // no tables: the first member's stay in force
  second.match(12, 13);
  second.literal('!');
  second.endOfMember();

  auto u = makeUnpacker29(1 << 20);
  ASSERT_EQ(unpack(*u, first.bytes(), 13).result, Result::ok);
  const Outcome out = unpack(*u, second.bytes(), 13, true);
  ASSERT_EQ(out.result, Result::ok);
  EXPECT_EQ(out.bytes, text("solid stream!"));

  // The same reach back from a member that starts afresh has nothing to
  // copy: damage, not a read of the previous member's leftovers.
  Rar3Writer fresh;
  fresh.tables();
  fresh.match(12, 13);
  fresh.endOfMember();
  EXPECT_EQ(unpack(*u, fresh.bytes(), 12).result, Result::corrupt);
}

TEST(Rar3Lz, NewTablesAnnouncedAtTheEndCarryIntoTheNextMember) {
  Rar3Writer first;
  first.tables();
  first.literals("ab");
  first.endOfMember(true);
  // The next member starts with a table that keeps the old lengths (every
  // delta 0); read as codes of the old table it would be garbage.
  BitWriter second;
  second.put(0, 1);
  second.put(1, 1);
  for (int i = 0; i < 20; ++i) second.put(5, 4);
  for (int i = 0; i < 404; ++i) second.put(0, 5);
  second.put('c', 9);
  second.put(256, 9);
  second.put(0, 2);
  auto u = makeUnpacker29(1 << 20);
  ASSERT_EQ(unpack(*u, first.bytes(), 2).result, Result::ok);
  const Outcome out = unpack(*u, second.bytes(), 1, true);
  ASSERT_EQ(out.result, Result::ok);
  EXPECT_EQ(out.bytes, text("c"));
}

TEST(Rar3Lz, DamagedStreamsAreCorrupt) {
  auto u = makeUnpacker29(1 << 20);
  {
    SCOPED_TRACE("distance before the first byte");
    Rar3Writer w;
    w.tables();
    w.literals("ab");
    w.match(4, 3);
    EXPECT_EQ(unpack(*u, w.bytes(), 6).result, Result::corrupt);
  }
  {
    SCOPED_TRACE("a match running past the member's size");
    Rar3Writer w;
    w.tables();
    w.literals("abcd");
    w.match(10, 4);
    const Outcome out = unpack(*u, w.bytes(), 8);
    EXPECT_EQ(out.result, Result::corrupt);
    EXPECT_LE(out.bytes.size(), 8u);
  }
  {
    SCOPED_TRACE("the member ends before its size");
    Rar3Writer w;
    w.tables();
    w.literals("abc");
    w.endOfMember();
    EXPECT_EQ(unpack(*u, w.bytes(), 10).result, Result::corrupt);
  }
  {
    SCOPED_TRACE("the data stops");
    Rar3Writer w;
    w.tables();
    w.literals(std::string(200, 'z'));
    Bytes cut = w.bytes();
    cut.resize(cut.size() / 2);
    EXPECT_EQ(unpack(*u, cut, 200).result, Result::corrupt);
  }
  {
    SCOPED_TRACE("a table that repeats a length before any was given");
    BitWriter raw;
    raw.put(0, 2);
    for (int i = 0; i < 20; ++i) raw.put(5, 4);
    raw.put(16, 5);  // "repeat previous" as the very first length
    raw.put(0, 3);
    EXPECT_EQ(unpack(*u, raw.bytes(), 1).result, Result::corrupt);
  }
  {
    SCOPED_TRACE("no data at all");
    EXPECT_EQ(unpack(*u, Bytes{}, 1).result, Result::corrupt);
  }
}

// Filter record: slot number 0 (resets the filter list), block start 0,
// the block length, then a program of `program` bytes.
Bytes filterRecord(std::uint32_t blockLength, const Bytes& program) {
  BitWriter r;
  r.put(0, 6);  // slot 0
  r.put(0, 6);  // block starts here
  if (blockLength < 16) {
    r.put(blockLength, 6);
  } else if (blockLength < 0x10000) {
    r.put(2, 2);
    r.put(blockLength, 16);
  } else {
    r.put(3, 2);
    r.put(blockLength >> 16, 16);
    r.put(blockLength & 0xffff, 16);
  }
  r.put(program.size() < 16 ? program.size() : 0, 6);
  for (std::uint8_t b : program) r.put(b, 8);
  return r.bytes();
}

TEST(Rar3Filters, ProgramsOtherThanTheStandardOnesAreNeverRun) {
  // The first byte is the XOR of the rest, as the format checks, but the
  // program is none of the six the encoder writes.
  const Bytes program = {0x12 ^ 0x34 ^ 0x56, 0x12, 0x34, 0x56};
  Rar3Writer w;
  w.tables();
  w.filterRecord(0x80 | 0x20, filterRecord(8, program));
  w.literals("12345678");
  w.endOfMember();
  auto u = makeUnpacker29(1 << 20);
  EXPECT_EQ(unpack(*u, w.bytes(), 8).result, Result::unsupportedMethod);
}

TEST(Rar3Filters, BlocksLargerThanTheFilterMemoryAreRefused) {
  Rar3Writer w;
  w.tables();
  w.filterRecord(0x80 | 0x20, filterRecord(kMaxFilterBlock + 1, {0}));
  w.literals("abc");
  auto u = makeUnpacker29(1 << 20);
  EXPECT_EQ(unpack(*u, w.bytes(), 3).result, Result::corrupt);
}

TEST(Rar3Filters, X86CallTargetsBecomeRelativeAgain) {
  // A CALL at member offset 0x1000 was stored with its target made
  // absolute: the position after the E8 byte (0x1001) plus the relative one.
  std::vector<std::uint8_t> mem(kFilterMemory + 4, 0x90);
  const std::uint32_t relative = 0x100, offsetAfterOpcode = 0x1001;
  const std::uint32_t stored = relative + offsetAfterOpcode;
  mem[0] = 0xe8;
  std::memcpy(&mem[1], &stored, 4);
  // A negative stored value that stays negative after adding the position
  // is left alone; one that turns non-negative gets the 16 MiB file size.
  const std::uint32_t stays = 0xffff0000u, wraps = 0xfffffff0u;
  mem[5] = 0xe8;
  std::memcpy(&mem[6], &stays, 4);
  mem[10] = 0xe9;  // a JMP: only the E8E9 variant converts it
  std::memcpy(&mem[11], &wraps, 4);
  std::uint32_t r[7] = {};
  const std::uint8_t* out = nullptr;
  ASSERT_TRUE(runFilter(FilterKind::e8, mem.data(), 32, r, 0x1000, out));
  std::uint32_t v;
  std::memcpy(&v, out + 1, 4);
  EXPECT_EQ(v, relative);
  std::memcpy(&v, out + 6, 4);
  EXPECT_EQ(v, stays);
  std::memcpy(&v, out + 11, 4);
  EXPECT_EQ(v, wraps) << "E8 alone must not touch a JMP";

  ASSERT_TRUE(runFilter(FilterKind::e8e9, mem.data(), 32, r, 0x1000, out));
  std::memcpy(&v, out + 11, 4);
  EXPECT_EQ(v, wraps + 0x1000000u) << "0xfffffff0 + 0x100b is non-negative: add the file size";
}

TEST(Rar3Filters, DeltaUndoesPerChannelDifferences) {
  // Two interleaved channels; the encoder stores each channel's bytes as
  // (previous - current), channel after channel.
  const Bytes original = {10, 200, 13, 190, 20, 180, 21, 181, 0, 255};
  const std::uint32_t channels = 2, n = static_cast<std::uint32_t>(original.size());
  std::vector<std::uint8_t> mem(kFilterMemory + 4, 0);
  std::uint32_t at = 0;
  for (std::uint32_t c = 0; c < channels; ++c) {
    std::uint8_t prev = 0;
    for (std::uint32_t i = c; i < n; i += channels) {
      mem[at++] = static_cast<std::uint8_t>(prev - original[i]);
      prev = original[i];
    }
  }
  std::uint32_t r[7] = {channels};
  const std::uint8_t* out = nullptr;
  ASSERT_TRUE(runFilter(FilterKind::delta, mem.data(), n, r, 0, out));
  EXPECT_EQ(Bytes(out, out + n), original);

  r[0] = 0;  // no channels: impossible parameters
  EXPECT_FALSE(runFilter(FilterKind::delta, mem.data(), n, r, 0, out));
  r[0] = 3;
  EXPECT_FALSE(runFilter(FilterKind::rgb, mem.data(), kFilterMemory / 2 + 3, r, 0, out));
}

TEST(RarLimits, DictionaryBeyondTheLimitIsRefusedBeforeDecoding) {
  Rar3Writer w;
  w.tables();
  w.literal('a');
  w.endOfMember();
  const std::uint32_t tooBig = static_cast<std::uint32_t>(kMaxDictionary) * 2;
  EXPECT_EQ(unpack(*makeUnpacker29(tooBig), w.bytes(), 1).result, Result::tooLarge);
  EXPECT_EQ(unpack(*makeUnpacker20(tooBig), w.bytes(), 1).result, Result::tooLarge);
}

TEST(Rar3Ppm, BlockHeadersThatCannotStartAModelAreCorrupt) {
  auto u = makeUnpacker29(1 << 20);
  // A PPMd block (top bit) with a fresh model of order 1, which the format
  // does not allow.
  EXPECT_EQ(unpack(*u, {0xa0, 0x00, 0, 0, 0, 0, 0, 0}, 4).result, Result::corrupt);
  // A continuation (no reset bit) with no model before it.
  EXPECT_EQ(unpack(*u, {0x80, 0, 0, 0, 0, 0, 0, 0}, 4).result, Result::corrupt);
}

// RAR 2.x: level codes 5 bits, main 9, distance 6, repeat 5, audio 9.
class Rar2Writer {
 public:
  void lzTables() {
    w_.put(0, 2);
    for (int i = 0; i < 19; ++i) w_.put(5, 4);
    for (int i = 0; i < 298; ++i) w_.put(9, 5);
    for (int i = 0; i < 48; ++i) w_.put(6, 5);
    for (int i = 0; i < 28; ++i) w_.put(5, 5);
  }
  void audioTables(unsigned channels) {
    w_.put(2, 2);  // audio, old table cleared
    w_.put(channels - 1, 2);
    for (int i = 0; i < 19; ++i) w_.put(5, 4);
    for (unsigned i = 0; i < 257 * channels; ++i) w_.put(9, 5);
  }
  void literal(std::uint8_t b) { w_.put(b, 9); }
  void match(std::uint32_t length, std::uint32_t distance) {
    const unsigned l = slotFor(kLengthBase, kLengthBits, length - 3);
    w_.put(270 + l, 9);
    if (kLengthBits[l] != 0) w_.put(length - 3 - kLengthBase[l], kLengthBits[l]);
    const unsigned d = slotFor(kDistBase, kDistBits, distance - 1);
    w_.put(d, 6);
    if (kDistBits[d] != 0) w_.put(distance - 1 - kDistBase[d], kDistBits[d]);
  }
  void newTables() { w_.put(269, 9); }
  void audio(std::uint8_t delta) { w_.put(delta, 9); }
  void audioNewTables() { w_.put(256, 9); }
  Bytes bytes() const { return w_.bytes(); }

 private:
  BitWriter w_;
};

TEST(Rar2, LzAndMultimediaBlocksAlternate) {
  Rar2Writer w;
  w.lzTables();
  for (char c : std::string("wave")) w.literal(static_cast<std::uint8_t>(c));
  w.match(4, 4);
  w.newTables();
  // Two channels. The predictor starts with zero weights, so for the first
  // bytes of each channel it predicts that channel's previous byte and the
  // stored delta is (prediction - byte).
  w.audioTables(2);
  const Bytes samples = {100, 50, 103, 48, 110, 40};
  std::uint8_t last[2] = {0, 0};
  for (std::size_t i = 0; i < samples.size(); ++i) {
    w.audio(static_cast<std::uint8_t>(last[i % 2] - samples[i]));
    last[i % 2] = samples[i];
  }
  w.audioNewTables();
  w.lzTables();
  w.literal('!');

  Bytes expected = text("wavewave");
  expected.insert(expected.end(), samples.begin(), samples.end());
  expected.push_back('!');
  auto u = makeUnpacker20(1 << 20);
  const Outcome out = unpack(*u, w.bytes(), expected.size());
  ASSERT_EQ(out.result, Result::ok);
  EXPECT_EQ(out.bytes, expected);
}

TEST(Rar2, DamagedStreamsAreCorrupt) {
  auto u = makeUnpacker20(1 << 20);
  Rar2Writer far;
  far.lzTables();
  far.literal('a');
  far.match(3, 2);
  EXPECT_EQ(unpack(*u, far.bytes(), 4).result, Result::corrupt);

  Rar2Writer over;
  over.lzTables();
  over.literal('a');
  over.match(5, 1);
  EXPECT_EQ(unpack(*u, over.bytes(), 3).result, Result::corrupt);

  Rar2Writer cut;
  cut.lzTables();
  for (int i = 0; i < 100; ++i) cut.literal('q');
  Bytes half = cut.bytes();
  half.resize(half.size() - 40);
  EXPECT_EQ(unpack(*u, half, 100).result, Result::corrupt);
}

// ---- real archives, when the shared corpus sits beside the repository ----

Bytes readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Member {
  Bytes packed;
  std::uint64_t size;
  std::uint32_t crc;
  std::uint32_t dictionary;
  unsigned version;
};

// Just enough of the RAR 1.5-4.x block layout to find file blocks.
std::vector<Member> members(const Bytes& a) {
  std::vector<Member> out;
  static const std::uint8_t kMark[7] = {'R', 'a', 'r', '!', 0x1a, 7, 0};
  if (a.size() < 7 || std::memcmp(a.data(), kMark, 7) != 0) return out;
  auto u16 = [&](std::size_t p) { return std::uint32_t{a[p]} | (std::uint32_t{a[p + 1]} << 8); };
  auto u32 = [&](std::size_t p) { return u16(p) | (u16(p + 2) << 16); };
  std::size_t p = 7;
  while (p + 7 <= a.size()) {
    const unsigned type = a[p + 2], flags = u16(p + 3), headSize = u16(p + 5);
    if (headSize < 7 || p + headSize > a.size()) break;
    std::uint64_t add = 0;
    if ((flags & 0x8000) != 0 || type == 0x74) add = u32(p + 7);
    if (type == 0x74 && headSize >= 32 && (flags & 0xe0) != 0xe0 && p + headSize + add <= a.size()) {
      Member m;
      m.packed.assign(a.begin() + static_cast<std::ptrdiff_t>(p + headSize),
                      a.begin() + static_cast<std::ptrdiff_t>(p + headSize + add));
      m.size = u32(p + 11);
      m.crc = u32(p + 16);
      m.version = a[p + 24];
      m.dictionary = 0x10000u << ((flags >> 5) & 7);
      if (a[p + 25] != 0x30) out.push_back(m);
    }
    p += headSize + add;
  }
  return out;
}

std::string shared(const std::string& name) {
#ifdef _WIN32
  const std::string root = "Z:";  // Wine shows the build machine's root as Z:
#else
  const std::string root;
#endif
  return root + RIVANO_SHARED_ARCHIVES + "/rar/" + name;
}

TEST(RarSharedCorpus, CutStreamsEndAsCorruptWithoutOverrun) {
  const char* const samples[] = {"libarchive/test_read_format_rar_compress_best.rar",  // PPMd
                                 "libarchive/test_read_format_rar_filter.rar",         // LZ + E8
                                 "sharpcompress/Rar2.rar"};                            // RAR 2.x
  bool any = false;
  for (const char* name : samples) {
    const Bytes archive = readFile(shared(name));
    if (archive.empty()) continue;
    any = true;
    const std::vector<Member> ms = members(archive);
    ASSERT_FALSE(ms.empty()) << name;
    const Member& m = ms.front();
    auto make = [&] { return m.version == 20 ? makeUnpacker20(m.dictionary) : makeUnpacker29(m.dictionary); };
    {
      auto u = make();
      const Outcome whole = unpack(*u, m.packed, m.size);
      ASSERT_EQ(whole.result, Result::ok) << name;
      EXPECT_EQ(crc32Update(0, whole.bytes.data(), whole.bytes.size()), m.crc) << name;
    }
    for (std::size_t keep : {std::size_t{0}, std::size_t{3}, m.packed.size() / 3, m.packed.size() * 2 / 3}) {
      auto u = make();
      const Bytes cut(m.packed.begin(), m.packed.begin() + static_cast<std::ptrdiff_t>(keep));
      const Outcome out = unpack(*u, cut, m.size);
      EXPECT_NE(out.result, Result::ok) << name << " cut to " << keep;
      EXPECT_LE(out.bytes.size(), m.size) << name;
    }
  }
  if (!any) GTEST_SKIP() << "shared archive corpus not found";
}

}  // namespace
}  // namespace rivano::arc::rar
