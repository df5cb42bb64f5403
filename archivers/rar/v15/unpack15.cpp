// RAR 1.5 decoding. There are no stored code tables: literals, distances
// and the flag bytes that choose between literal and match kinds are coded
// by their rank in move-to-front-like lists, and those ranks by one of
// several fixed codes chosen by running averages of what came before.
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "archivers/rar/rar_unpack.h"
#include "archivers/rar/v15/code_tables.h"

namespace rivano::arc::rar {
namespace {

using rar15::Code;

constexpr std::size_t kWindow = 0x10000;  // every distance of the format fits
constexpr std::size_t kMask = kWindow - 1;
constexpr std::uint64_t kFlushAt = kWindow / 2;  // far below a window minus the longest match

// Most-significant-bit-first reader with a 16-bit look-ahead; zeros past the end.
class BitInput {
 public:
  void reset(ByteSpan data) {
    data_ = data;
    bit_ = 0;
  }
  std::uint32_t peek16() const {
    const std::size_t at = static_cast<std::size_t>(bit_ >> 3);
    std::uint32_t v;
    if (at + 3 <= data_.size()) {
      v = std::uint32_t{data_[at]} << 16 | std::uint32_t{data_[at + 1]} << 8 | data_[at + 2];
    } else {
      v = 0;
      for (std::size_t i = 0; i < 3; ++i) v = v << 8 | (at + i < data_.size() ? data_[at + i] : 0);
    }
    return (v >> (8 - (bit_ & 7))) & 0xffff;
  }
  void skip(unsigned n) { bit_ += n; }
  unsigned decode(Code code) {
    const rar15::CodeEntry& e = rar15::lookUp(code, peek16());
    bit_ += e.bits;
    return e.value;
  }
  bool overrun() const { return bit_ > std::uint64_t{data_.size()} * 8; }

 private:
  ByteSpan data_;
  std::uint64_t bit_ = 0;
};

// A list of 256 entries, each a value in the high byte and a use count in
// the low byte; a used entry moves towards the front, and when counts run
// over, all are renumbered.
struct RankList {
  std::uint16_t entries[256];
  std::uint8_t placeOfCount[256];

  void renumber() {
    for (unsigned i = 0; i < 256; ++i) entries[i] = static_cast<std::uint16_t>((entries[i] & ~0xffu) | (7 - i / 32));
    std::memset(placeOfCount, 0, sizeof placeOfCount);
    for (unsigned i = 0; i < 7; ++i) placeOfCount[i] = static_cast<std::uint8_t>((7 - i) * 32);
  }
  // Returns the entry at `place` (before its count grows) and moves it up.
  // `overflow` says when the grown count forces a renumbering.
  template <class Overflow>
  std::uint16_t use(unsigned place, Overflow overflow) {
    std::uint32_t entry;
    unsigned newPlace;
    for (;;) {
      entry = entries[place];
      newPlace = placeOfCount[entry & 0xff]++;
      ++entry;
      if (!overflow(entry & 0xff)) break;
      renumber();
    }
    entries[place] = entries[newPlace];
    entries[newPlace] = static_cast<std::uint16_t>(entry);
    return static_cast<std::uint16_t>(entry - 1);
  }
};

class Unpacker15 final : public Unpacker {
 public:
  Result unpack(ByteSpan packed, std::uint64_t unpackedSize, bool solid, Sink& sink) override {
    return run(packed, unpackedSize, solid, sink);
  }

 private:
  Result run(ByteSpan packed, std::uint64_t unpackedSize, bool solid, Sink& sink);
  void resetStream();
  bool step();
  bool shortLz();
  bool shortRepeat(unsigned code);
  bool longLz();
  bool literalOrShortRun();
  void readFlags();
  bool copy(std::uint32_t distance, std::uint32_t length);
  bool put(std::uint8_t byte);
  bool flush(Sink& sink);

  std::unique_ptr<std::uint8_t[]> window_;
  std::uint64_t pos_ = 0, written_ = 0, fileEnd_ = 0;
  BitInput in_;

  RankList bytes_, distances_, flags_;
  std::uint8_t recentDistances_[256];  // short-match distance ranks (plain move-to-front)
  std::uint32_t oldDist_[4] = {};
  unsigned oldDistPtr_ = 0;
  std::uint32_t lastDist_ = 0, lastLength_ = 0;
  // Running statistics that choose the codes (names as the format's
  // description has them: averages of lengths and places, and the two
  // counters balancing literals against long matches).
  std::uint32_t avrPlc_ = 0, avrPlcB_ = 0, avrLn1_ = 0, avrLn2_ = 0, avrLn3_ = 0;
  std::uint32_t numHuf_ = 0, buf60_ = 0, maxDist3_ = 0, nhfb_ = 0, nlzb_ = 0;
  std::uint32_t flagBuf_ = 0, lCount_ = 0;
  int flagsCnt_ = 0;
  bool stMode_ = false;
};

void Unpacker15::resetStream() {
  pos_ = 0;
  avrPlcB_ = avrLn1_ = avrLn2_ = avrLn3_ = numHuf_ = buf60_ = 0;
  avrPlc_ = 0x3500;
  maxDist3_ = 0x2001;
  nhfb_ = nlzb_ = 0x80;
  std::fill(std::begin(oldDist_), std::end(oldDist_), 0);
  oldDistPtr_ = 0;
  lastDist_ = lastLength_ = 0;
  for (unsigned i = 0; i < 256; ++i) {
    bytes_.entries[i] = distances_.entries[i] = static_cast<std::uint16_t>(i << 8);
    recentDistances_[i] = static_cast<std::uint8_t>(i);
    flags_.entries[i] = static_cast<std::uint16_t>(((0u - i) & 0xff) << 8);
  }
  std::memset(bytes_.placeOfCount, 0, 256);
  std::memset(flags_.placeOfCount, 0, 256);
  distances_.renumber();
}

Result Unpacker15::run(ByteSpan packed, std::uint64_t unpackedSize, bool solid, Sink& sink) {
  if (!window_) window_.reset(new std::uint8_t[kWindow]);
  if (!solid) resetStream();
  written_ = pos_;
  fileEnd_ = unpackedSize > ~pos_ ? ~std::uint64_t{0} : pos_ + unpackedSize;
  flagsCnt_ = 0;
  flagBuf_ = 0;
  stMode_ = false;
  lCount_ = 0;
  in_.reset(packed);
  if (unpackedSize == 0) return Result::ok;
  readFlags();
  flagsCnt_ = 8;
  while (pos_ < fileEnd_) {
    if (!step() || in_.overrun()) return Result::corrupt;
    if (pos_ - written_ >= kFlushAt && !flush(sink)) return Result::ioError;
  }
  return flush(sink) ? Result::ok : Result::ioError;
}

// One literal or match; the flag bits and the balance of literals against
// long matches decide which kind comes next.
bool Unpacker15::step() {
  if (stMode_) return literalOrShortRun();
  if (--flagsCnt_ < 0) {
    readFlags();
    flagsCnt_ = 7;
  }
  const bool first = (flagBuf_ & 0x80) != 0;
  flagBuf_ <<= 1;
  if (first) return nlzb_ > nhfb_ ? longLz() : literalOrShortRun();
  if (--flagsCnt_ < 0) {
    readFlags();
    flagsCnt_ = 7;
  }
  const bool second = (flagBuf_ & 0x80) != 0;
  flagBuf_ <<= 1;
  if (second) return nlzb_ > nhfb_ ? literalOrShortRun() : longLz();
  return shortLz();
}

void Unpacker15::readFlags() {
  const unsigned place = in_.decode(Code::place2);
  if (place > 255) return;  // only a damaged stream names the 257th place
  const std::uint16_t entry = flags_.use(place, [](unsigned count) { return count == 0; });
  flagBuf_ = entry >> 8;
}

bool Unpacker15::literalOrShortRun() {
  const std::uint32_t window = in_.peek16();
  Code code = Code::place0;
  if (avrPlc_ > 0x75ff) code = Code::place4;
  else if (avrPlc_ > 0x5dff) code = Code::place3;
  else if (avrPlc_ > 0x35ff) code = Code::place2;
  else if (avrPlc_ > 0x0dff) code = Code::place1;
  unsigned place = in_.decode(code) & 0xff;
  if (stMode_) {
    if (place == 0 && window > 0xfff) place = 0x100;
    if (place == 0) {
      // Place 0 escapes: leave the literal run, or a short match.
      const std::uint32_t bits = in_.peek16();
      in_.skip(1);
      if (bits & 0x8000) {
        numHuf_ = 0;
        stMode_ = false;
        return true;
      }
      const std::uint32_t length = (bits & 0x4000) ? 4 : 3;
      in_.skip(1);
      std::uint32_t distance = in_.decode(Code::place2);
      distance = distance << 5 | in_.peek16() >> 11;
      in_.skip(5);
      return copy(distance, length);
    }
    --place;
  } else if (numHuf_++ >= 16 && flagsCnt_ == 0) {
    stMode_ = true;
  }
  avrPlc_ += place;
  avrPlc_ -= avrPlc_ >> 8;
  nhfb_ += 16;
  if (nhfb_ > 0xff) {
    nhfb_ = 0x90;
    nlzb_ >>= 1;
  }
  const std::uint16_t entry = bytes_.use(place, [](unsigned count) { return count > 0xa1; });
  return put(static_cast<std::uint8_t>(entry >> 8));
}

// Short matches: a prefix code (two variants, chosen by the average short
// length) gives the length or names a repeat of a recent distance.
bool Unpacker15::shortLz() {
  static constexpr std::uint8_t kLen1[16] = {1, 3, 4, 4, 5, 6, 7, 8, 8, 4, 4, 5, 6, 6, 4, 0};
  static constexpr std::uint8_t kXor1[16] = {0, 0xa0, 0xd0, 0xe0, 0xf0, 0xf8, 0xfc, 0xfe,
                                             0xff, 0xc0, 0x80, 0x90, 0x98, 0x9c, 0xb0, 0};
  static constexpr std::uint8_t kLen2[16] = {2, 3, 3, 3, 4, 4, 5, 6, 6, 4, 4, 5, 6, 6, 4, 0};
  static constexpr std::uint8_t kXor2[16] = {0, 0x40, 0x60, 0xa0, 0xd0, 0xe0, 0xf0, 0xf8,
                                             0xfc, 0xc0, 0x80, 0x90, 0x98, 0x9c, 0xb0, 0};
  numHuf_ = 0;
  std::uint32_t bits = in_.peek16();
  if (lCount_ == 2) {
    in_.skip(1);
    if (bits >= 0x8000) return copy(lastDist_, lastLength_);
    bits <<= 1;
    lCount_ = 0;
  }
  bits = (bits >> 8) & 0xff;
  const bool first = avrLn1_ < 37;
  const std::uint8_t* lens = first ? kLen1 : kLen2;
  const std::uint8_t* xors = first ? kXor1 : kXor2;
  const unsigned variable = first ? 1 : 3;  // this code's length follows a mode bit
  unsigned length = 0;
  unsigned codeBits = 0;
  for (; length < 16; ++length) {
    codeBits = length == variable ? buf60_ + 3 : lens[length];
    if (((bits ^ xors[length]) & ~(0xffu >> codeBits) & 0xff) == 0) break;
  }
  in_.skip(codeBits);
  if (length >= 9) return shortRepeat(length);
  lCount_ = 0;
  avrLn1_ += length;
  avrLn1_ -= avrLn1_ >> 4;
  int place = static_cast<int>(in_.decode(Code::place2) & 0xff);
  std::uint32_t distance = recentDistances_[place];
  if (--place != -1) {
    recentDistances_[place + 1] = recentDistances_[place];
    recentDistances_[place] = static_cast<std::uint8_t>(distance);
  }
  length += 2;
  oldDist_[oldDistPtr_++] = ++distance;
  oldDistPtr_ &= 3;
  lastLength_ = length;
  lastDist_ = distance;
  return copy(distance, length);
}

// Codes 9 and up of the short-match code: the last match again, a far
// match, or a new length at one of the last four distances.
bool Unpacker15::shortRepeat(unsigned code) {
  if (code == 9) {
    ++lCount_;
    return copy(lastDist_, lastLength_);
  }
  lCount_ = 0;
  if (code == 14) {
    const std::uint32_t length = in_.decode(Code::length2) + 5;
    const std::uint32_t distance = (in_.peek16() >> 1) | 0x8000;
    in_.skip(15);
    lastLength_ = length;
    lastDist_ = distance;
    return copy(distance, length);
  }
  const std::uint32_t distance = oldDist_[(oldDistPtr_ - (code - 9)) & 3];
  std::uint32_t length = in_.decode(Code::length1) + 2;
  if (length == 0x101 && code == 10) {
    buf60_ ^= 1;
    return true;
  }
  if (distance > 256) ++length;
  if (distance >= maxDist3_) ++length;
  oldDist_[oldDistPtr_++] = distance;
  oldDistPtr_ &= 3;
  lastLength_ = length;
  lastDist_ = distance;
  return copy(distance, length);
}

bool Unpacker15::longLz() {
  numHuf_ = 0;
  nlzb_ += 16;
  if (nlzb_ > 0xff) {
    nlzb_ = 0x90;
    nhfb_ >>= 1;
  }
  const std::uint32_t oldAvr2 = avrLn2_;
  std::uint32_t length;
  if (avrLn2_ >= 122) {
    length = in_.decode(Code::length2);
  } else if (avrLn2_ >= 64) {
    length = in_.decode(Code::length1);
  } else {
    const std::uint32_t bits = in_.peek16();
    if (bits < 0x100) {
      length = bits;
      in_.skip(16);
    } else {
      length = 0;
      while (((bits << length) & 0x8000) == 0) ++length;
      in_.skip(length + 1);
    }
  }
  avrLn2_ += length;
  avrLn2_ -= avrLn2_ >> 5;

  const Code code = avrPlcB_ > 0x28ff ? Code::place2 : avrPlcB_ > 0x6ff ? Code::place1 : Code::place0;
  const unsigned place = in_.decode(code);
  avrPlcB_ += place;
  avrPlcB_ -= avrPlcB_ >> 8;
  const std::uint16_t entry = distances_.use(place & 0xff, [](unsigned count) { return count == 0; });
  const std::uint32_t distance = ((entry & 0xff00u) | in_.peek16() >> 8) >> 1;
  in_.skip(7);

  const std::uint32_t oldAvr3 = avrLn3_;
  if (length != 1 && length != 4) {
    if (length == 0 && distance <= maxDist3_) {
      ++avrLn3_;
      avrLn3_ -= avrLn3_ >> 8;
    } else if (avrLn3_ > 0) {
      --avrLn3_;
    }
  }
  length += 3;
  if (distance >= maxDist3_) ++length;
  if (distance <= 256) length += 8;
  maxDist3_ = (oldAvr3 > 0xb0 || (avrPlc_ >= 0x2a00 && oldAvr2 < 0x40)) ? 0x7f00 : 0x2001;
  oldDist_[oldDistPtr_++] = distance;
  oldDistPtr_ &= 3;
  lastLength_ = length;
  lastDist_ = distance;
  return copy(distance, length);
}

bool Unpacker15::copy(std::uint32_t distance, std::uint32_t length) {
  if (distance == 0 || distance > pos_ || length > fileEnd_ - pos_) return false;
  std::uint8_t* w = window_.get();
  std::size_t dst = static_cast<std::size_t>(pos_ & kMask);
  std::size_t src = (dst - distance) & kMask;
  for (std::uint32_t i = 0; i < length; ++i) {
    w[dst] = w[src];
    dst = (dst + 1) & kMask;
    src = (src + 1) & kMask;
  }
  pos_ += length;
  return true;
}

bool Unpacker15::put(std::uint8_t byte) {
  if (pos_ >= fileEnd_) return false;
  window_[pos_++ & kMask] = byte;
  return true;
}

bool Unpacker15::flush(Sink& sink) {
  while (written_ < pos_) {
    const std::size_t at = static_cast<std::size_t>(written_ & kMask);
    const std::size_t run = static_cast<std::size_t>(std::min<std::uint64_t>(pos_ - written_, kWindow - at));
    if (!sink.write(window_.get() + at, run)) return false;
    written_ += run;
  }
  return true;
}

// Stands in when the header asks for more than we allow: nothing is
// allocated, every member is refused.
class RefusedDictionary final : public Unpacker {
 public:
  Result unpack(ByteSpan, std::uint64_t, bool, Sink&) override { return Result::tooLarge; }
};

}  // namespace

std::unique_ptr<Unpacker> makeUnpacker15(std::uint32_t dictionarySize) {
  // The format's distances all fit a 64 KiB window, whatever the header says.
  if (dictionarySize > kMaxDictionary) return std::make_unique<RefusedDictionary>();
  return std::make_unique<Unpacker15>();
}

}  // namespace rivano::arc::rar
