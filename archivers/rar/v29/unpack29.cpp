#include "archivers/rar/v29/unpack29.h"

#include <cstring>
#include <new>

#include "archivers/rar/v20/unpack20.h"

namespace rivano::arc::rar {
namespace {

constexpr unsigned kLowDistRepeat = 16;

// Distance slots: four of 0 extra bits, two each of 1 to 15, fourteen of
// 16 and twelve of 18.
struct DistanceSlots {
  std::uint32_t base[60];
  std::uint8_t bits[60];
  constexpr DistanceSlots() : base(), bits() {
    constexpr std::uint8_t kCounts[19] = {4, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 14, 0, 12};
    std::uint32_t dist = 0;
    unsigned slot = 0;
    for (unsigned b = 0; b < 19; ++b) {
      for (unsigned j = 0; j < kCounts[b]; ++j, ++slot, dist += 1u << b) {
        base[slot] = dist;
        bits[slot] = static_cast<std::uint8_t>(b);
      }
    }
  }
};
constexpr DistanceSlots kSlots;

std::uint32_t extraBits(BitInput& in, unsigned n) { return n == 0 ? 0 : in.bits(n); }

// The variable-length numbers of filter headers.
std::uint32_t readNumber(BitInput& in) {
  const std::uint32_t v = in.peek16();
  switch (v & 0xc000) {
    case 0:
      in.skip(6);
      return (v >> 10) & 0xf;
    case 0x4000:
      if ((v & 0x3c00) == 0) {
        in.skip(14);
        return 0xffffff00u | ((v >> 2) & 0xff);
      }
      in.skip(10);
      return (v >> 6) & 0xff;
    case 0x8000:
      in.skip(2);
      return in.bits(16);
    default: {
      in.skip(2);
      const std::uint32_t high = in.bits(16);
      return (high << 16) | in.bits(16);
    }
  }
}

}  // namespace

void Unpacker29::resetState() {
  window_.resetHistory();
  tablesRead_ = false;
  ppmBlock_ = false;
  ppmEscape_ = 2;
  if (ppm_) ppm_->reset();
  std::memset(oldTable_, 0, sizeof oldTable_);
  std::memset(oldDist_, 0, sizeof oldDist_);
  lastLength_ = 0;
  prevLowDist_ = 0;
  lowDistRepeat_ = 0;
  programs_.clear();
  lastFilter_ = 0;
}

bool Unpacker29::readTables() {
  in_.alignToByte();
  const std::uint32_t head = in_.peek16();
  if ((head & 0x8000) != 0) {
    ppmBlock_ = true;
    if (!ppm_) ppm_ = std::make_unique<PpmModel>();
    return ppm_->startBlock(in_, ppmEscape_) && !in_.overrun();
  }
  ppmBlock_ = false;
  prevLowDist_ = 0;
  lowDistRepeat_ = 0;
  if ((head & 0x4000) == 0) std::memset(oldTable_, 0, sizeof oldTable_);
  in_.skip(2);

  std::uint8_t levelLengths[20];
  for (unsigned i = 0; i < 20; ++i) {
    const std::uint32_t length = in_.bits(4);
    if (length != 15) {
      levelLengths[i] = static_cast<std::uint8_t>(length);
      continue;
    }
    std::uint32_t zeros = in_.bits(4);
    if (zeros == 0) {
      levelLengths[i] = 15;
      continue;
    }
    for (zeros += 2; zeros > 0 && i < 20; --zeros) levelLengths[i++] = 0;
    --i;
  }
  level_.build(levelLengths, 20);

  std::uint8_t table[kTableSize];
  for (unsigned i = 0; i < kTableSize;) {
    if (in_.overrun()) return false;
    const int symbol = level_.decode(in_);
    if (symbol < 0) return false;
    if (symbol < 16) {
      table[i] = static_cast<std::uint8_t>((symbol + oldTable_[i]) & 15);
      ++i;
    } else if (symbol < 18) {
      if (i == 0) return false;
      unsigned n = symbol == 16 ? in_.bits(3) + 3 : in_.bits(7) + 11;
      for (; n > 0 && i < kTableSize; --n, ++i) table[i] = table[i - 1];
    } else {
      unsigned n = symbol == 18 ? in_.bits(3) + 3 : in_.bits(7) + 11;
      for (; n > 0 && i < kTableSize; --n) table[i++] = 0;
    }
  }
  if (in_.overrun()) return false;
  main_.build(table, kMainSymbols);
  dist_.build(table + kMainSymbols, kDistSymbols);
  lowDist_.build(table + kMainSymbols + kDistSymbols, kLowDistSymbols);
  rep_.build(table + kMainSymbols + kDistSymbols + kLowDistSymbols, kRepSymbols);
  std::memcpy(oldTable_, table, sizeof table);
  tablesRead_ = true;
  return true;
}

// Code 256: "1" new tables follow here; "00" the member ends; "01" the
// member ends and the next one starts with new tables.
Unpacker29::Step Unpacker29::readEndOfBlock() {
  const std::uint32_t head = in_.peek16();
  bool newTables = true;
  bool endOfMember = false;
  if ((head & 0x8000) != 0) {
    in_.skip(1);
  } else {
    endOfMember = true;
    newTables = (head & 0x4000) != 0;
    in_.skip(2);
  }
  tablesRead_ = !newTables;
  if (endOfMember) return Step::endOfMember;
  return readTables() ? Step::more : Step::corrupt;
}

Unpacker29::Step Unpacker29::readFilterFromLz() {
  const std::uint32_t first = in_.bits(8);
  std::uint32_t length = (first & 7) + 1;
  if (length == 7) {
    length = in_.bits(8) + 7;
  } else if (length == 8) {
    length = in_.bits(16);
  }
  if (length == 0 || in_.overrun()) return Step::corrupt;
  std::vector<std::uint8_t> code(length);
  for (std::uint8_t& b : code) b = static_cast<std::uint8_t>(in_.bits(8));
  if (in_.overrun()) return Step::corrupt;
  return addFilter(first, code.data(), code.size());
}

Unpacker29::Step Unpacker29::readFilterFromPpm() {
  const int first = ppm_->decodeChar(in_);
  if (first < 0) return Step::corrupt;
  std::uint32_t length = (static_cast<std::uint32_t>(first) & 7) + 1;
  if (length == 7) {
    const int b = ppm_->decodeChar(in_);
    if (b < 0) return Step::corrupt;
    length = static_cast<std::uint32_t>(b) + 7;
  } else if (length == 8) {
    const int b1 = ppm_->decodeChar(in_);
    const int b2 = b1 < 0 ? -1 : ppm_->decodeChar(in_);
    if (b2 < 0) return Step::corrupt;
    length = static_cast<std::uint32_t>(b1) * 256 + static_cast<std::uint32_t>(b2);
  }
  if (length == 0) return Step::corrupt;
  std::vector<std::uint8_t> code(length);
  for (std::uint8_t& b : code) {
    const int c = ppm_->decodeChar(in_);
    if (c < 0 || in_.overrun()) return Step::corrupt;
    b = static_cast<std::uint8_t>(c);
  }
  return addFilter(static_cast<std::uint32_t>(first), code.data(), code.size());
}

Unpacker29::Step Unpacker29::addFilter(std::uint32_t first, const std::uint8_t* code, std::size_t size) {
  BitInput in;
  in.reset(ByteSpan(code, size));
  std::size_t slot = lastFilter_;
  if ((first & 0x80) != 0) {
    slot = readNumber(in);
    if (slot == 0) {
      programs_.clear();
      pending_.clear();
    } else {
      --slot;
    }
  }
  if (slot > programs_.size() || pending_.size() >= kMaxFilters) return Step::corrupt;
  lastFilter_ = slot;
  const bool isNew = slot == programs_.size();
  if (isNew && programs_.size() >= kMaxFilters) return Step::corrupt;

  std::uint32_t blockStart = readNumber(in);
  if ((first & 0x40) != 0) blockStart += 258;
  PendingFilter filter{};
  filter.start = window_.pos() + blockStart;
  if ((first & 0x20) != 0) {
    filter.length = readNumber(in);
  } else {
    filter.length = isNew ? 0 : programs_[slot].lastLength;
  }
  filter.r[3] = kMaxFilterBlock;
  filter.r[4] = filter.length;
  if ((first & 0x10) != 0) {
    const std::uint32_t mask = in.bits(7);
    for (unsigned i = 0; i < 7; ++i) {
      if ((mask & (1u << i)) != 0) filter.r[i] = readNumber(in);
    }
  }
  if (filter.length > kMaxFilterBlock) return Step::corrupt;
  if (isNew) {
    const std::uint32_t codeSize = readNumber(in);
    if (codeSize == 0 || codeSize >= 0x10000 || in.overrun() || in.bytesLeft() < codeSize) return Step::corrupt;
    std::vector<std::uint8_t> program(codeSize);
    for (std::uint8_t& b : program) b = static_cast<std::uint8_t>(in.bits(8));
    const std::optional<FilterKind> kind = recogniseFilter(program.data(), program.size());
    if (!kind) return Step::unsupported;
    programs_.push_back(Program{*kind, 0});
  }
  if (in.overrun()) return Step::corrupt;
  if ((first & 0x20) != 0) programs_[slot].lastLength = filter.length;
  filter.kind = programs_[slot].kind;
  pending_.push_back(filter);
  return Step::more;
}

Unpacker29::Step Unpacker29::decodeLz() {
  const int symbol = main_.decode(in_);
  if (symbol < 256) {
    if (symbol < 0) return Step::corrupt;
    window_.put(static_cast<std::uint8_t>(symbol));
    return Step::more;
  }
  std::uint32_t length;
  std::uint32_t distance;
  if (symbol >= 271) {
    const unsigned l = static_cast<unsigned>(symbol) - 271;
    length = kLengthBase[l] + 3 + extraBits(in_, kLengthBits[l]);
    const int slot = dist_.decode(in_);
    if (slot < 0) return Step::corrupt;
    distance = kSlots.base[slot] + 1;
    const unsigned bits = kSlots.bits[slot];
    if (slot > 9) {
      if (bits > 4) distance += in_.bits(bits - 4) << 4;
      if (lowDistRepeat_ > 0) {
        --lowDistRepeat_;
        distance += prevLowDist_;
      } else {
        const int low = lowDist_.decode(in_);
        if (low < 0) return Step::corrupt;
        if (low == 16) {
          lowDistRepeat_ = kLowDistRepeat - 1;
          distance += prevLowDist_;
        } else {
          distance += static_cast<std::uint32_t>(low);
          prevLowDist_ = static_cast<std::uint32_t>(low);
        }
      }
    } else {
      distance += extraBits(in_, bits);
    }
    if (distance >= 0x2000) {
      ++length;
      if (distance >= 0x40000) ++length;
    }
    insertOldDist(distance);
  } else if (symbol == 256) {
    return readEndOfBlock();
  } else if (symbol == 257) {
    return readFilterFromLz();
  } else if (symbol == 258) {
    if (lastLength_ == 0) return Step::more;
    length = lastLength_;
    distance = oldDist_[0];
  } else if (symbol < 263) {
    const unsigned n = static_cast<unsigned>(symbol) - 259;
    distance = oldDist_[n];
    for (unsigned i = n; i > 0; --i) oldDist_[i] = oldDist_[i - 1];
    oldDist_[0] = distance;
    const int l = rep_.decode(in_);
    if (l < 0) return Step::corrupt;
    length = kLengthBase[l] + 2 + extraBits(in_, kLengthBits[l]);
  } else {
    const unsigned s = static_cast<unsigned>(symbol) - 263;
    distance = kShortBase[s] + 1 + extraBits(in_, kShortBits[s]);
    length = 2;
    insertOldDist(distance);
  }
  lastLength_ = length;
  return window_.copy(distance, length) ? Step::more : Step::corrupt;
}

Unpacker29::Step Unpacker29::decodePpm() {
  const int ch = ppm_->decodeChar(in_);
  if (ch < 0) return Step::corrupt;
  if (ch == ppmEscape_) {
    const int next = ppm_->decodeChar(in_);
    switch (next) {
      case -1: return Step::corrupt;
      case 0: return readTables() ? Step::more : Step::corrupt;
      case 2: return Step::endOfMember;
      case 3: return readFilterFromPpm();
      case 4: {
        std::uint32_t distance = 0;
        for (int i = 0; i < 3; ++i) {
          const int b = ppm_->decodeChar(in_);
          if (b < 0) return Step::corrupt;
          distance = (distance << 8) + static_cast<std::uint32_t>(b);
        }
        const int length = ppm_->decodeChar(in_);
        if (length < 0) return Step::corrupt;
        return window_.copy(distance + 2, static_cast<std::uint32_t>(length) + 32) ? Step::more : Step::corrupt;
      }
      case 5: {
        const int length = ppm_->decodeChar(in_);
        if (length < 0) return Step::corrupt;
        return window_.copy(1, static_cast<std::uint32_t>(length) + 4) ? Step::more : Step::corrupt;
      }
      default: break;  // 1: the escape byte itself
    }
  }
  window_.put(static_cast<std::uint8_t>(ch));
  return Step::more;
}

// The encoder closes a member with an end marker that may also announce
// new tables for the next member of a solid stream; read it when present
// so the state carried over matches.
void Unpacker29::readTrailer() {
  if (in_.overrun()) return;
  if (ppmBlock_) {
    if (ppm_->decodeChar(in_) != ppmEscape_) return;
    const int next = ppm_->decodeChar(in_);
    if (next == 0) readTables();
    return;
  }
  if (in_.bytesLeft() == 0) return;
  BitInput probe = in_;
  if (main_.decode(probe) != 256) return;
  in_ = probe;
  readEndOfBlock();
}

Result Unpacker29::flush(Sink& sink) {
  const std::uint64_t pos = window_.pos();
  while (!pending_.empty()) {
    const PendingFilter f = pending_.front();
    if (f.start < written_) {
      pending_.pop_front();  // lies behind what is already out: never applies
      continue;
    }
    if (f.start >= pos) break;
    if (!window_.write(written_, f.start, sink)) return Result::ioError;
    written_ = f.start;
    if (f.start + f.length > pos) return Result::ok;  // the block is not complete yet
    pending_.pop_front();
    std::uint8_t* memory = filterMemory_.get();
    window_.read(f.start, f.length, memory);
    const std::uint32_t offset = static_cast<std::uint32_t>(f.start - memberStart_);
    const std::uint8_t* out = nullptr;
    if (!runFilter(f.kind, memory, f.length, f.r, offset, out)) return Result::corrupt;
    // Filters queued for the same block run on the previous one's output.
    while (!pending_.empty() && pending_.front().start == f.start && pending_.front().length == f.length) {
      const PendingFilter g = pending_.front();
      pending_.pop_front();
      if (out != memory) std::memmove(memory, out, f.length);
      if (!runFilter(g.kind, memory, g.length, g.r, offset, out)) return Result::corrupt;
    }
    if (!sink.write(out, f.length)) return Result::ioError;
    written_ = f.start + f.length;
  }
  if (!window_.write(written_, pos, sink)) return Result::ioError;
  written_ = pos;
  return Result::ok;
}

Result Unpacker29::decode(std::uint64_t end, Sink& sink) {
  const std::uint64_t flushAt = window_.size() / 2;
  Step step = Step::more;
  while (window_.pos() < end) {
    if (in_.overrun()) return Result::corrupt;
    if (window_.pos() - written_ >= flushAt) {
      const Result r = flush(sink);
      if (r != Result::ok) return r;
    }
    step = ppmBlock_ ? decodePpm() : decodeLz();
    if (step != Step::more) break;
  }
  if (step == Step::corrupt) return Result::corrupt;
  if (step == Step::unsupported) return Result::unsupportedMethod;
  if (window_.pos() != end) return Result::corrupt;
  if (step == Step::more) readTrailer();
  const Result r = flush(sink);
  if (r != Result::ok) return r;
  return written_ == end ? Result::ok : Result::corrupt;
}

Result Unpacker29::unpack(ByteSpan packed, std::uint64_t unpackedSize, bool solid, Sink& sink) {
  if (dictionarySize_ > kMaxDictionary) return Result::tooLarge;
  if (!window_.allocated()) {
    if (!window_.allocate(windowSizeFor(dictionarySize_))) return Result::tooLarge;
    filterMemory_.reset(new (std::nothrow) std::uint8_t[kFilterMemory + 4]);
    if (!filterMemory_) return Result::tooLarge;
    solid = false;
  }
  if (!solid) resetState();
  pending_.clear();
  if (unpackedSize == 0 && packed.empty()) return Result::ok;
  in_.reset(packed);
  memberStart_ = written_ = window_.pos();
  const bool tables = tablesRead_ || readTables();
  if (ppm_ && ppm_->outOfMemory()) return Result::tooLarge;
  // An empty member may still carry the markers a solid stream needs; it
  // produces nothing either way.
  if (unpackedSize == 0) {
    if (tables) readTrailer();
    return Result::ok;
  }
  if (!tables) return Result::corrupt;
  return decode(memberStart_ + unpackedSize, sink);
}

std::unique_ptr<Unpacker> makeUnpacker29(std::uint32_t dictionarySize) {
  return std::make_unique<Unpacker29>(dictionarySize);
}

}  // namespace rivano::arc::rar
