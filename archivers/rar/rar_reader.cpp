#include "archivers/rar/rar_reader.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <new>

#include "archivers/core/crc32.h"
#include "archivers/core/member_path.h"
#include "archivers/core/unix_entry.h"
#include "archivers/rar/blake2sp.h"
#include "archivers/rar/rar_headers.h"
#include "archivers/rar/rar_unpack.h"
#ifdef RIVANO_RAR_HAS_V50
#include "archivers/rar/v50/unpack50.h"
#endif

namespace rivano::arc {
namespace {

using rar::Entry;
using rar::EntryKind;

constexpr char kMarker4[] = "Rar!\x1A\x07\x00";
constexpr char kMarker5[] = "Rar!\x1A\x07\x01\x00";
// Self-extractor stubs of a few hundred KiB are common; one picture with an
// archive appended may be larger still.
constexpr std::size_t kSfxScan = std::size_t{4} << 20;

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

enum class Layout { rar4, rar5 };

std::unique_ptr<rar::Unpacker> makeUnpacker(int generation, std::uint64_t dictionary) {
  // Callers bound the dictionary to kMaxDictionary first.
  [[maybe_unused]] const auto small = static_cast<std::uint32_t>(dictionary);
  switch (generation) {
#ifdef RIVANO_RAR_HAS_V15
    case 15: return rar::makeUnpacker15(small);
#endif
#ifdef RIVANO_RAR_HAS_V20
    case 20: return rar::makeUnpacker20(small);
#endif
#ifdef RIVANO_RAR_HAS_V29
    case 29: return rar::makeUnpacker29(small);
#endif
#ifdef RIVANO_RAR_HAS_V50
    case 50: return rar::makeUnpacker50(dictionary, 0);
    case 51: return rar::makeUnpacker50(dictionary, 1);
#endif
    default: return nullptr;
  }
}

// Counts, checksums and bounds what a decoder produces on its way out.
class CheckingSink final : public Sink {
 public:
  CheckingSink(Sink* out, std::uint64_t expected, bool blake2)
      : out_(out), expected_(expected), useBlake2_(blake2) {}
  bool write(const std::uint8_t* data, std::size_t size) override {
    if (size > expected_ - written_) {
      overflow_ = true;
      return false;
    }
    written_ += size;
    crc_.update(data, size);
    if (useBlake2_) blake2_.update(data, size);
    return out_ == nullptr || out_->write(data, size);
  }
  // ok when every byte arrived and the checksums the header has match.
  Result verdict(Result decoded, const Entry& e) {
    if (overflow_) return Result::corrupt;
    if (decoded != Result::ok) return decoded;
    if (written_ != expected_) return Result::corrupt;
    if (e.hasCrc && crc_.value() != e.crc) return Result::corrupt;
    if (e.hasBlake2 && blake2_.finish() != e.blake2) return Result::corrupt;
    return Result::ok;
  }

 private:
  Sink* out_;
  std::uint64_t expected_;
  std::uint64_t written_ = 0;
  bool overflow_ = false;
  Crc32 crc_;
  bool useBlake2_;
  rar::Blake2sp blake2_;
};

bool hasStream(const Entry& e) { return e.kind == EntryKind::file && e.generation > 0; }

// The separators as '/', the way the link set compares names.
std::string slashName(const MemberEntry& m) {
  std::string out = m.name;
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (!m.nameIsUtf8 && isCp932LeadByte(static_cast<std::uint8_t>(out[i])) && i + 1 < out.size()) {
      ++i;
    } else if (out[i] == '\\') {
      out[i] = '/';
    }
  }
  return out;
}

std::uint64_t roundUpToPowerOfTwo(std::uint64_t n) {
  std::uint64_t p = 1;
  while (p < n && p < (std::uint64_t{1} << 62)) p <<= 1;
  return p;
}

class RarReader final : public ArchiveReader {
 public:
  RarReader(ByteSpan data, const Limits& limits, rar::Headers headers)
      : data_(data), limits_(limits), headers_(std::move(headers)) {
    LinkSet links;
    for (std::size_t i = 0; i < headers_.entries.size(); ++i) {
      Entry& e = headers_.entries[i];
      e.member.locator = i;
      e.member.locator2 = e.dataOffset;
      if (e.kind == EntryKind::symlink) links.add(slashName(e.member));
      // Links, copies and service data are nothing to show; a member meant
      // to be written through a link would land wherever the link points.
      if (e.kind != EntryKind::file && e.kind != EntryKind::folder) continue;
      if (links.covers(slashName(e.member))) continue;
      listed_.push_back(i);
    }
    // Which member each compressed stream starts at, and what the whole
    // run of members continuing it needs.
    chainOf_.assign(headers_.entries.size(), kNone);
    std::map<int, std::size_t> current;
    for (std::size_t i = 0; i < headers_.entries.size(); ++i) {
      const Entry& e = headers_.entries[i];
      if (!hasStream(e)) continue;
      const auto open = current.find(e.generation);
      const std::size_t start = e.solid && open != current.end() ? open->second : i;
      current[e.generation] = start;
      chainOf_[i] = start;
      Chain& chain = chains_[start];
      chain.dictionary = std::max(chain.dictionary, e.dictionary);
      chain.total += std::min<std::uint64_t>(e.member.size, limits_.maxStreamSize);
    }
  }

  Result list(std::vector<MemberEntry>& members) override {
    members.clear();
    for (std::size_t i : listed_) members.push_back(headers_.entries[i].member);
    return headers_.fault;
  }

  Result extract(const MemberEntry& m, Sink& sink) override;

 private:
  struct Chain {
    std::uint64_t dictionary = 0;
    std::uint64_t total = 0;  // bytes of all its members (each capped at the stream limit)
  };
  struct Stream {
    std::unique_ptr<rar::Unpacker> unpacker;
    std::uint64_t window = 0;
    std::size_t lastDone = kNone;  // entry whose decoding left the state as it is
  };

  Result usable(const Entry& e) const;
  Result extractStored(const Entry& e, Sink& sink);
  Result extractPacked(std::size_t index, Sink& sink);
  Result decodeOne(Stream& s, std::size_t index, bool solid, Sink* out);

  ByteSpan data_;
  Limits limits_;
  rar::Headers headers_;
  std::vector<std::size_t> listed_;
  std::vector<std::size_t> chainOf_;
  std::map<std::size_t, Chain> chains_;
  // Per stream start, its first member whose data proved damaged: those
  // continuing the stream after it cannot come out either, and are not
  // decoded up to it again and again.
  std::map<std::size_t, std::size_t> broken_;
  std::map<int, Stream> streams_;
};

// Whether a member can be produced at all, before any byte is written.
Result RarReader::usable(const Entry& e) const {
  if (e.encrypted || e.continuedFromPrevious || e.continuesInNext || e.sizeUnknown) {
    return Result::unsupportedMethod;
  }
  if (e.member.size > limits_.maxMemberSize) return Result::tooLarge;
  if (e.dataOffset > data_.size() || e.packedSize > data_.size() - e.dataOffset) return Result::corrupt;
  if (e.generation < 0) return Result::unsupportedMethod;
  if (e.generation > 0 && e.dictionaryRefused) return Result::tooLarge;
  return Result::ok;
}

Result RarReader::extract(const MemberEntry& m, Sink& sink) {
  if (m.locator >= headers_.entries.size()) return Result::corrupt;
  const auto index = static_cast<std::size_t>(m.locator);
  const Entry& e = headers_.entries[index];
  if (e.kind == EntryKind::folder) return Result::ok;
  if (e.kind != EntryKind::file) return Result::unsupportedMethod;
  const Result r = usable(e);
  if (r != Result::ok) return r;
  return e.generation == 0 ? extractStored(e, sink) : extractPacked(index, sink);
}

Result RarReader::extractStored(const Entry& e, Sink& sink) {
  if (e.packedSize != e.member.size) return Result::corrupt;
  CheckingSink checking(&sink, e.member.size, e.hasBlake2);
  const std::uint8_t* p = data_.data() + e.dataOffset;
  std::uint64_t left = e.member.size;
  bool written = true;
  while (left > 0 && written) {
    const std::size_t n = left < (1u << 20) ? static_cast<std::size_t>(left) : (1u << 20);
    written = checking.write(p, n);
    p += n;
    left -= n;
  }
  return checking.verdict(written ? Result::ok : Result::ioError, e);
}

Result RarReader::decodeOne(Stream& s, std::size_t index, bool solid, Sink* out) {
  const Entry& e = headers_.entries[index];
  const ByteSpan packed = data_.subspan(static_cast<std::size_t>(e.dataOffset), static_cast<std::size_t>(e.packedSize));
  CheckingSink checking(out, e.member.size, e.hasBlake2);
  s.lastDone = kNone;  // until this member is known good
  Result r = Result::tooLarge;
  try {
    r = s.unpacker->unpack(packed, e.member.size, solid, checking);
  } catch (const std::bad_alloc&) {
    // A window or table the memory cannot hold: the member is too large
    // for this machine, whichever decoder asked.
  }
  r = checking.verdict(r, e);
  if (r == Result::ok) s.lastDone = index;
  if (r == Result::corrupt) {
    std::size_t& first = broken_.try_emplace(chainOf_[index], index).first->second;
    first = std::min(first, index);
  }
  return r;
}

// A member of a solid archive continues the stream of the compressed
// members before it: those since the last one that starts afresh are
// decoded first into nothing, unless the decoder already stands right
// after the one before.
Result RarReader::extractPacked(std::size_t index, Sink& sink) {
  const std::vector<Entry>& entries = headers_.entries;
  const Entry& target = entries[index];
  const int generation = target.generation;
  auto sameStream = [&](std::size_t i) { return hasStream(entries[i]) && entries[i].generation == generation; };

  const std::size_t chainStart = chainOf_[index];
  const Chain& chain = chains_[chainStart];
  // The window must hold what the whole run of solid members refers to,
  // never more than the header asks for: a 32-bit process has no room to
  // spare for a dictionary the data cannot use.
  const std::uint64_t dictionary = chain.dictionary, total = chain.total;
  const std::uint64_t window =
      std::max<std::uint64_t>(std::min(dictionary, roundUpToPowerOfTwo(std::max<std::uint64_t>(total, 1u << 18))), 1u << 16);

  Stream& s = streams_[generation];
  if (!s.unpacker || s.window < window) {
    s.unpacker = makeUnpacker(generation, window);
    s.window = window;
    s.lastDone = kNone;
    if (!s.unpacker) return Result::unsupportedMethod;
  }
  const auto broken = broken_.find(chainStart);
  if (broken != broken_.end() && broken->second < index) return Result::corrupt;
  std::size_t begin = chainStart;
  if (s.lastDone != kNone && s.lastDone >= chainStart && s.lastDone < index) begin = s.lastDone + 1;

  std::uint64_t produced = 0;
  for (std::size_t i = begin; i < index; ++i) {
    if (!sameStream(i)) continue;
    const Entry& e = entries[i];
    const Result r = usable(e);
    if (r != Result::ok) return r;
    produced += e.member.size;
    if (produced > limits_.maxStreamSize) return Result::tooLarge;
    const Result d = decodeOne(s, i, i != chainStart, nullptr);
    if (d != Result::ok) return d == Result::ioError ? Result::corrupt : d;
  }
  if (produced + target.member.size > limits_.maxStreamSize) return Result::tooLarge;
  return decodeOne(s, index, index != chainStart, &sink);
}

// ok when the marker at `at` is followed by a readable archive header.
bool validAt(ByteSpan data, std::size_t at, Layout& layout) {
  const std::size_t left = data.size() - at;
  if (left >= 8 && std::memcmp(data.data() + at, kMarker5, 8) == 0) {
    layout = Layout::rar5;
    return rar::rar5MainHeaderOk(data, at);
  }
  if (left >= 7 && std::memcmp(data.data() + at, kMarker4, 7) == 0) {
    layout = Layout::rar4;
    return rar::rar4MainHeaderOk(data, at);
  }
  return false;
}

bool markerAt(ByteSpan data, std::size_t at) {
  const std::size_t left = data.size() - at;
  return (left >= 7 && std::memcmp(data.data() + at, kMarker4, 7) == 0) ||
         (left >= 8 && std::memcmp(data.data() + at, kMarker5, 8) == 0);
}

}  // namespace

std::unique_ptr<ArchiveReader> openRar(ByteSpan data, const Limits& limits, Result& result) {
  Layout layout = Layout::rar4;
  std::size_t start = kNone;
  if (markerAt(data, 0)) {
    // A marker at the very start is the archive, broken or not.
    if (!validAt(data, 0, layout)) {
      result = Result::corrupt;
      return nullptr;
    }
    start = 0;
  } else {
    const std::size_t scan = std::min(data.size(), kSfxScan);
    for (std::size_t at = 1; at + 7 <= data.size() && at < scan; ++at) {
      const void* hit = std::memchr(data.data() + at, 'R', scan - at);
      if (hit == nullptr) break;
      at = static_cast<std::size_t>(static_cast<const std::uint8_t*>(hit) - data.data());
      if (markerAt(data, at) && validAt(data, at, layout)) {
        start = at;
        break;
      }
    }
  }
  if (start == kNone) {
    result = Result::notThisFormat;
    return nullptr;
  }
  rar::Headers headers = layout == Layout::rar5 ? rar::readRar5(data, start, limits) : rar::readRar4(data, start, limits);
  result = Result::ok;
  return std::make_unique<RarReader>(data, limits, std::move(headers));
}

}  // namespace rivano::arc
