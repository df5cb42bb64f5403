// RAR 5 LZ decoding: blocks with their own header (flags, a check byte, the
// size) optionally start with new code tables; symbols are literals, new
// matches, repeats of one of the last four distances or of the last match,
// and filter records that name a later stretch of output to transform.
#include "archivers/rar/v50/unpack50.h"

#include <algorithm>
#include <new>
#include <vector>

#include "archivers/rar/v50/bit_reader.h"
#include "archivers/rar/v50/filters.h"
#include "archivers/rar/v50/huffman.h"
#include "archivers/rar/v50/window.h"

namespace rivano::arc::rar {
namespace {

using rar5::BitReader;
using rar5::Filter;
using rar5::HuffmanTable;

constexpr unsigned kMainCodes = 306;
constexpr unsigned kLowDistCodes = 16;
constexpr unsigned kRepLengthCodes = 44;
constexpr unsigned kLevelCodes = 20;
// The longest match (length slot 43 with all extra bits, plus the bonus for
// a far distance); the window always keeps room for one.
constexpr std::size_t kMaxMatch = 4100;
// The format's own reader never keeps more filters than this pending.
constexpr std::size_t kMaxFilters = 8192;
// Below this the window would not hold a filter block behind a full match.
constexpr std::size_t kMinWindow = std::size_t{1} << 18;
// Output goes to the sink at least this often.
constexpr std::uint64_t kChunk = std::uint64_t{4} << 20;

struct Block {
  std::uint64_t endBit = 0;
  bool last = false;
  bool tablePresent = false;
};

std::size_t ceilPow2(std::uint64_t v) {
  std::size_t p = kMinWindow;
  while (p < v) p <<= 1;
  return p;
}

class Unpacker50 final : public Unpacker {
 public:
  Unpacker50(std::uint64_t dictionary, unsigned version)
      : maxWindow_(ceilPow2(std::min(dictionary, kMaxDictionary))),
        distCodes_(version == 1 ? 80 : 64),
        supported_(version <= 1) {}

  Result unpack(ByteSpan packed, std::uint64_t unpackedSize, bool solid, Sink& sink) override {
    if (!supported_) return Result::unsupportedMethod;
    return run(packed, unpackedSize, solid, sink);
  }

 private:
  Result run(ByteSpan packed, std::uint64_t unpackedSize, bool solid, Sink& sink);
  Result decode(Sink& sink);
  bool readBlockHeader();
  bool readTables();
  bool readFilter();
  std::uint32_t readFilterNumber();
  unsigned slotToLength(unsigned slot);
  bool readDistance(std::uint64_t& distance);
  bool copy(std::uint64_t distance, unsigned length);
  Result flush(Sink& sink);
  bool writeRaw(Sink& sink, std::uint64_t end);

  const std::size_t maxWindow_;
  const unsigned distCodes_;
  const bool supported_;

  rar5::Window window_;
  std::uint64_t pos_ = 0;        // decoded bytes in the stream
  std::uint64_t written_ = 0;    // of which the sink has these
  std::uint64_t fileStart_ = 0;  // where the current member began
  std::uint64_t fileEnd_ = 0;
  std::uint64_t flushAt_ = 0;    // flush before decoding past this
  std::uint64_t oldDist_[4] = {};
  unsigned lastLength_ = 0;
  bool tablesRead_ = false;
  BitReader in_;
  Block block_;
  HuffmanTable main_, dist_, lowDist_, repLength_;
  std::vector<Filter> filters_;
  std::vector<std::uint8_t> filterData_, filterScratch_;
};

Result Unpacker50::run(ByteSpan packed, std::uint64_t unpackedSize, bool solid, Sink& sink) {
  if (!solid) {
    // The window is kept for the next member: distances never reach before
    // the start of the stream, so what it still holds is never read.
    pos_ = 0;
    std::fill(std::begin(oldDist_), std::end(oldDist_), 0);
    lastLength_ = 0;
    tablesRead_ = false;
  }
  // Whatever a failed member left undelivered belonged to that member.
  written_ = pos_;
  fileStart_ = pos_;
  fileEnd_ = unpackedSize > ~pos_ ? ~std::uint64_t{0} : pos_ + unpackedSize;
  filters_.clear();
  if (unpackedSize == 0 && packed.empty()) return Result::ok;
  window_.grow(fileEnd_ >= maxWindow_ ? maxWindow_ : ceilPow2(fileEnd_), pos_);
  flushAt_ = pos_ + std::min<std::uint64_t>(kChunk, window_.size() - kMaxMatch);
  in_ = BitReader(packed);
  if (!readBlockHeader() || (block_.tablePresent && !readTables()) || !tablesRead_) return Result::corrupt;
  const Result r = decode(sink);
  if (r != Result::ok) return r;
  const Result f = flush(sink);
  if (f != Result::ok) return f;
  return written_ == fileEnd_ ? Result::ok : Result::corrupt;
}

Result Unpacker50::decode(Sink& sink) {
  for (;;) {
    if (in_.position() >= block_.endBit) {
      if (in_.position() > block_.endBit) return Result::corrupt;
      if (block_.last) return Result::ok;
      if (!readBlockHeader() || (block_.tablePresent && !readTables())) return Result::corrupt;
      continue;
    }
    if (pos_ > flushAt_) {
      const Result f = flush(sink);
      if (f != Result::ok) return f;
      if (pos_ + kMaxMatch > written_ + window_.size()) return Result::corrupt;  // a filter block never completes
    }
    in_.refill();
    const unsigned symbol = main_.decode(in_);
    if (symbol < 256) {
      if (pos_ >= fileEnd_) return Result::corrupt;
      window_.at(pos_++) = static_cast<std::uint8_t>(symbol);
      continue;
    }
    if (symbol >= 262) {
      if (symbol >= kMainCodes) return Result::corrupt;
      unsigned length = slotToLength(symbol - 262);
      std::uint64_t distance;
      if (!readDistance(distance)) return Result::corrupt;
      if (distance > 0x100) length += distance > 0x40000 ? 3 : distance > 0x2000 ? 2 : 1;
      std::copy_backward(oldDist_, oldDist_ + 3, oldDist_ + 4);
      oldDist_[0] = distance;
      lastLength_ = length;
      if (!copy(distance, length)) return Result::corrupt;
    } else if (symbol == 256) {
      if (!readFilter()) return Result::corrupt;
      if (filters_.size() > kMaxFilters) {
        const Result f = flush(sink);
        if (f != Result::ok) return f;
        if (filters_.size() > kMaxFilters) return Result::corrupt;
      }
    } else if (symbol == 257) {
      if (lastLength_ != 0 && !copy(oldDist_[0], lastLength_)) return Result::corrupt;
    } else {
      const unsigned which = symbol - 258;
      const std::uint64_t distance = oldDist_[which];
      std::copy_backward(oldDist_, oldDist_ + which, oldDist_ + which + 1);
      oldDist_[0] = distance;
      in_.refill();
      const unsigned slot = repLength_.decode(in_);
      if (slot >= kRepLengthCodes) return Result::corrupt;
      lastLength_ = slotToLength(slot);
      if (!copy(distance, lastLength_)) return Result::corrupt;
    }
  }
}

unsigned Unpacker50::slotToLength(unsigned slot) {
  if (slot < 8) return slot + 2;
  const unsigned bits = slot / 4 - 1;
  return 2 + ((4 | (slot & 3)) << bits) + in_.read(bits);
}

bool Unpacker50::readDistance(std::uint64_t& distance) {
  in_.refill();
  const unsigned slot = dist_.decode(in_);
  if (slot >= distCodes_) return false;
  if (slot < 4) {
    distance = slot + 1;
    return true;
  }
  const unsigned bits = slot / 2 - 1;
  distance = 1 + (std::uint64_t{2 | (slot & 1)} << bits);
  if (bits < 4) {
    distance += in_.read(bits);
    return true;
  }
  if (bits > 4) {
    distance += in_.peek64(bits - 4) << 4;
    in_.skip(bits - 4);
  }
  in_.refill();
  const unsigned low = lowDist_.decode(in_);
  if (low >= kLowDistCodes) return false;
  distance += low;
  return true;
}

bool Unpacker50::copy(std::uint64_t distance, unsigned length) {
  if (distance == 0 || distance > pos_ || distance > window_.size() || length > fileEnd_ - pos_) return false;
  window_.copyMatch(pos_, distance, length);
  pos_ += length;
  return true;
}

bool Unpacker50::readBlockHeader() {
  in_.alignToByte();
  in_.refill();
  const unsigned flags = in_.read(8);
  const unsigned check = in_.read(8);
  const unsigned sizeBytes = ((flags >> 3) & 3) + 1;
  if (sizeBytes == 4) return false;
  std::uint32_t size = 0;
  for (unsigned i = 0; i < sizeBytes; ++i) size |= in_.read(8) << (8 * i);
  if (((0x5a ^ flags ^ size ^ (size >> 8) ^ (size >> 16)) & 0xff) != check) return false;
  const std::uint64_t start = in_.position() / 8;
  if (size == 0 || start + size > in_.size()) return false;
  block_.endBit = (start + size - 1) * 8 + (flags & 7) + 1;
  block_.last = (flags & 0x40) != 0;
  block_.tablePresent = (flags & 0x80) != 0;
  return true;
}

bool Unpacker50::readTables() {
  std::uint8_t levels[kLevelCodes];
  for (unsigned i = 0; i < kLevelCodes;) {
    in_.refill();
    const unsigned length = in_.read(4);
    if (length != 15) {
      levels[i++] = static_cast<std::uint8_t>(length);
      continue;
    }
    unsigned zeros = in_.read(4);
    if (zeros == 0) {
      levels[i++] = 15;
      continue;
    }
    for (zeros += 2; zeros > 0 && i < kLevelCodes; --zeros) levels[i++] = 0;
  }
  HuffmanTable levelTable;
  if (!levelTable.build(levels, kLevelCodes)) return false;

  const unsigned total = kMainCodes + distCodes_ + kLowDistCodes + kRepLengthCodes;
  std::uint8_t lengths[kMainCodes + 80 + kLowDistCodes + kRepLengthCodes];
  for (unsigned i = 0; i < total;) {
    in_.refill();
    const unsigned code = levelTable.decode(in_);
    if (code < 16) {
      lengths[i++] = static_cast<std::uint8_t>(code);
    } else if (code < 20) {
      unsigned count = (code & 1) == 0 ? in_.read(3) + 3 : in_.read(7) + 11;
      if (code < 18 && i == 0) return false;  // nothing to repeat
      const std::uint8_t value = code < 18 ? lengths[i - 1] : 0;
      for (; count > 0 && i < total; --count) lengths[i++] = value;
    } else {
      return false;
    }
    if (in_.position() > block_.endBit) return false;
  }
  tablesRead_ = main_.build(lengths, kMainCodes) && dist_.build(lengths + kMainCodes, distCodes_) &&
                lowDist_.build(lengths + kMainCodes + distCodes_, kLowDistCodes) &&
                repLength_.build(lengths + kMainCodes + distCodes_ + kLowDistCodes, kRepLengthCodes);
  return tablesRead_;
}

std::uint32_t Unpacker50::readFilterNumber() {
  in_.refill();
  const unsigned bytes = in_.read(2) + 1;
  std::uint32_t value = 0;
  for (unsigned i = 0; i < bytes; ++i) value |= in_.read(8) << (8 * i);
  return value;
}

bool Unpacker50::readFilter() {
  Filter f;
  f.start = pos_ + readFilterNumber();
  f.length = readFilterNumber();
  in_.refill();
  const unsigned type = in_.read(3);
  if (type > 3) return false;
  f.type = static_cast<rar5::FilterType>(type);
  if (f.type == rar5::FilterType::delta) f.channels = static_cast<std::uint8_t>(in_.read(5) + 1);
  // The format's reader ignores blocks longer than a filter may cover.
  if (f.length <= rar5::kMaxFilterBlock) filters_.push_back(f);
  return true;
}

bool Unpacker50::writeRaw(Sink& sink, std::uint64_t end) {
  while (written_ < end) {
    const std::size_t at = window_.index(written_);
    const std::size_t run = static_cast<std::size_t>(std::min<std::uint64_t>(end - written_, window_.size() - at));
    if (!sink.write(window_.data() + at, run)) return false;
    written_ += run;
  }
  return true;
}

// Writes what is decoded, applying each filter once its whole block is
// there; stops at a filter whose block is not complete yet.
Result Unpacker50::flush(Sink& sink) {
  std::size_t done = 0;
  for (; done < filters_.size(); ++done) {
    const Filter& f = filters_[done];
    if (f.start < written_) continue;  // overlaps output already written: the writer never does this
    if (f.start >= pos_) break;
    if (!writeRaw(sink, f.start)) return Result::ioError;
    if (f.start + f.length > pos_) break;
    if (f.length == 0) continue;
    filterData_.resize(f.length);
    filterScratch_.resize(f.length);
    window_.read(f.start, f.length, filterData_.data());
    rar5::applyFilter(f, filterData_.data(), f.length, f.start - fileStart_, filterScratch_.data());
    if (!sink.write(filterData_.data(), f.length)) return Result::ioError;
    written_ += f.length;
  }
  filters_.erase(filters_.begin(), filters_.begin() + static_cast<std::ptrdiff_t>(done));
  const std::uint64_t end = filters_.empty() ? pos_ : std::min(pos_, filters_.front().start);
  if (!writeRaw(sink, end)) return Result::ioError;
  flushAt_ = std::min(written_ + window_.size() - kMaxMatch, pos_ + kChunk);
  return Result::ok;
}

// Stands in for an unpacker when the header asks for more than we allow:
// nothing is allocated, every member is refused.
class RefusedDictionary final : public Unpacker {
 public:
  Result unpack(ByteSpan, std::uint64_t, bool, Sink&) override { return Result::tooLarge; }
};

}  // namespace

std::unique_ptr<Unpacker> makeUnpacker50(std::uint64_t dictionarySize, unsigned algorithmVersion) {
  if (dictionarySize > kMaxDictionary) return std::make_unique<RefusedDictionary>();
  return std::make_unique<Unpacker50>(dictionarySize, algorithmVersion);
}

std::unique_ptr<Unpacker> makeUnpacker50(std::uint64_t dictionarySize) { return makeUnpacker50(dictionarySize, 0); }

}  // namespace rivano::arc::rar
