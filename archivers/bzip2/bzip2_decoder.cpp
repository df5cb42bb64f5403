#include "archivers/bzip2/bzip2_decoder.h"

#include <array>
#include <cstring>

namespace rivano::arc::bz2 {

namespace {
constexpr std::uint64_t kBlockMagic = 0x314159265359ull;
constexpr std::uint64_t kEndMagic = 0x177245385090ull;
constexpr int kMaxGroups = 6;
constexpr int kMinGroups = 2;
constexpr int kGroupSize = 50;
constexpr int kMaxCodeLen = 20;
constexpr int kMaxAlpha = 258;
constexpr std::size_t kMaxSelectors = 18002;  // 900000 / 50, plus slack the writer uses

std::array<std::uint32_t, 256> makeCrcTable() {
  std::array<std::uint32_t, 256> t{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t c = i << 24;
    for (int k = 0; k < 8; ++k) c = (c & 0x80000000u) ? (c << 1) ^ 0x04C11DB7u : c << 1;
    t[i] = c;
  }
  return t;
}
const std::array<std::uint32_t, 256> kCrcTable = makeCrcTable();
}  // namespace

std::uint32_t blockCrcUpdate(std::uint32_t crc, std::uint8_t byte) {
  return (crc << 8) ^ kCrcTable[(crc >> 24) ^ byte];
}

bool looksLikeBzip2(ByteSpan d) {
  if (d.size() < 10 || d[0] != 'B' || d[1] != 'Z' || d[2] != 'h' || d[3] < '1' || d[3] > '9') return false;
  std::uint64_t magic = 0;
  for (int i = 4; i < 10; ++i) magic = (magic << 8) | d[static_cast<std::size_t>(i)];
  return magic == kBlockMagic || magic == kEndMagic;
}

// Canonical code as bzip2 assigns it, up to 20 bits a code.
struct Decoder::Table {
  static constexpr int kFastBits = 10;
  std::uint16_t fast[1 << kFastBits];
  std::uint32_t first[kMaxCodeLen + 1];
  std::uint16_t count[kMaxCodeLen + 1];
  std::uint16_t offset[kMaxCodeLen + 1];
  std::uint16_t sorted[kMaxAlpha];

  bool build(const std::uint8_t* lengths, int n) {
    std::memset(count, 0, sizeof count);
    for (int s = 0; s < n; ++s) ++count[lengths[s]];
    std::uint32_t code = 0;
    std::uint16_t off = 0;
    for (int len = 1; len <= kMaxCodeLen; ++len) {
      first[len] = code;
      offset[len] = off;
      off = static_cast<std::uint16_t>(off + count[len]);
      code += count[len];
      if (code > (1u << len)) return false;
      code <<= 1;
    }
    std::uint16_t next[kMaxCodeLen + 1];
    std::memcpy(next, offset, sizeof next);
    for (int s = 0; s < n; ++s) sorted[next[lengths[s]]++] = static_cast<std::uint16_t>(s);
    std::memset(fast, 0, sizeof fast);
    for (int len = 1; len <= kFastBits; ++len) {
      for (std::uint32_t i = 0; i < count[len]; ++i) {
        std::uint32_t c = first[len] + i;
        auto e = static_cast<std::uint16_t>(len | (sorted[offset[len] + i] << 5));
        for (std::uint32_t k = c << (kFastBits - len); k < (c + 1) << (kFastBits - len); ++k) fast[k] = e;
      }
    }
    return true;
  }

  int decode(lz::BitReader& br) const {
    std::uint32_t bits = br.peek(kMaxCodeLen);
    std::uint16_t e = fast[bits >> (kMaxCodeLen - kFastBits)];
    if (e & 31) {
      br.skip(e & 31);
      return e >> 5;
    }
    for (int len = kFastBits + 1; len <= kMaxCodeLen; ++len) {
      std::uint32_t code = bits >> (kMaxCodeLen - len);
      if (code >= first[len] && code - first[len] < count[len]) {
        br.skip(len);
        return sorted[offset[len] + (code - first[len])];
      }
    }
    return -1;
  }
};

Decoder::Decoder(ByteSpan input) : br_(input), tables_(kMaxGroups) {}
Decoder::~Decoder() = default;

Result Decoder::startStream() {
  const bool first = firstStream_;
  firstStream_ = false;
  if (br_.bytesLeft() < 4) {
    state_ = State::done;
    return first ? Result::corrupt : Result::ok;
  }
  std::uint32_t sig = br_.peek(32);
  std::uint32_t level = sig & 0xFF;
  if ((sig >> 8) != 0x425A68 || level < '1' || level > '9') {
    // Bytes after a complete stream that do not start another are not ours.
    state_ = State::done;
    return first ? Result::corrupt : Result::ok;
  }
  br_.skip(32);
  blockMax_ = (level - '0') * 100000u;
  if (ttCapacity_ < blockMax_) {
    tt_.reset(new std::uint32_t[blockMax_]);
    ttCapacity_ = blockMax_;
  }
  streamCrc_ = 0;
  state_ = State::blockHeader;
  return Result::ok;
}

Result Decoder::startBlock() {
  std::uint64_t magic = (static_cast<std::uint64_t>(br_.get(24)) << 24) | br_.get(24);
  if (magic == kEndMagic) {
    std::uint32_t crc = br_.get(32);
    if (br_.overrun() || crc != streamCrc_) return Result::corrupt;
    br_.alignToByte();
    state_ = State::streamHeader;
    return Result::ok;
  }
  if (magic != kBlockMagic) return Result::corrupt;
  blockCrcWanted_ = br_.get(32);
  // Randomised blocks come only from writers of the last century.
  if (br_.get(1)) return Result::unsupportedMethod;
  origPtr_ = br_.get(24);
  Result r = readTables();
  if (r == Result::ok) r = readSymbols();
  if (r != Result::ok) return r;
  if (br_.overrun() || blockLen_ == 0 || origPtr_ >= blockLen_) return Result::corrupt;
  inverseBwt();
  blockCrc_ = 0xFFFFFFFFu;
  runLength_ = 0;
  lastByte_ = -1;
  repeatLeft_ = 0;
  state_ = State::blockData;
  return Result::ok;
}

Result Decoder::readTables() {
  int used = 0;
  const std::uint32_t ranges = br_.get(16);
  for (int i = 0; i < 16; ++i) {
    if (!(ranges & (0x8000u >> i))) continue;
    const std::uint32_t bits = br_.get(16);
    for (int j = 0; j < 16; ++j) {
      if (bits & (0x8000u >> j)) seqToByte_[used++] = static_cast<std::uint8_t>(i * 16 + j);
    }
  }
  if (used == 0) return Result::corrupt;
  alphaSize_ = used + 2;
  groups_ = static_cast<int>(br_.get(3));
  const std::size_t selectors = br_.get(15);
  if (groups_ < kMinGroups || groups_ > kMaxGroups || selectors == 0) return Result::corrupt;
  std::uint8_t order[kMaxGroups] = {0, 1, 2, 3, 4, 5};
  selectors_.clear();
  for (std::size_t i = 0; i < selectors; ++i) {
    int j = 0;
    while (br_.get(1)) {
      if (++j >= groups_) return Result::corrupt;
    }
    std::uint8_t v = order[j];
    for (; j > 0; --j) order[j] = order[j - 1];
    order[0] = v;
    if (selectors_.size() < kMaxSelectors) selectors_.push_back(v);
    if (br_.overrun()) return Result::corrupt;
  }
  std::uint8_t lengths[kMaxAlpha];
  for (int g = 0; g < groups_; ++g) {
    int len = static_cast<int>(br_.get(5));
    for (int s = 0; s < alphaSize_; ++s) {
      for (;;) {
        if (len < 1 || len > kMaxCodeLen || br_.overrun()) return Result::corrupt;
        if (!br_.get(1)) break;
        len += br_.get(1) ? -1 : 1;
      }
      lengths[s] = static_cast<std::uint8_t>(len);
    }
    if (!tables_[static_cast<std::size_t>(g)].build(lengths, alphaSize_)) return Result::corrupt;
  }
  return Result::ok;
}

// RUNA and RUNB spell run lengths in bijective base 2; other symbols are
// move-to-front indices shifted by one; the last symbol ends the block.
Result Decoder::readSymbols() {
  std::uint8_t mtf[256];
  for (int i = 0; i < 256; ++i) mtf[i] = static_cast<std::uint8_t>(i);
  std::memset(byteCount_, 0, sizeof byteCount_);
  const int endOfBlock = alphaSize_ - 1;
  std::uint32_t count = 0, run = 0, runBit = 1;
  std::size_t selector = 0;
  int groupLeft = 0;
  const Table* table = nullptr;
  std::uint32_t* tt = tt_.get();
  for (;;) {
    if (groupLeft == 0) {
      if (selector >= selectors_.size()) return Result::corrupt;
      table = &tables_[selectors_[selector++]];
      groupLeft = kGroupSize;
    }
    --groupLeft;
    const int sym = table->decode(br_);
    if (sym < 0) return Result::corrupt;
    if (sym <= 1) {
      run += runBit << sym;
      runBit <<= 1;
      if (run > blockMax_) return Result::corrupt;
      continue;
    }
    if (run) {
      const std::uint8_t b = seqToByte_[mtf[0]];
      if (run > blockMax_ - count) return Result::corrupt;
      for (std::uint32_t i = 0; i < run; ++i) tt[count + i] = b;
      byteCount_[b] += run;
      count += run;
      run = 0;
      runBit = 1;
    }
    if (sym == endOfBlock) break;
    if (count >= blockMax_ || br_.overrun()) return Result::corrupt;
    const int idx = sym - 1;
    const std::uint8_t v = mtf[idx];
    std::memmove(mtf + 1, mtf, static_cast<std::size_t>(idx));
    mtf[0] = v;
    const std::uint8_t b = seqToByte_[v];
    tt[count++] = b;
    ++byteCount_[b];
  }
  blockLen_ = count;
  return Result::ok;
}

// Each entry learns the index of its successor in the original text: the
// k-th occurrence of byte b sits at the k-th slot of b's range in sorted
// order.
void Decoder::inverseBwt() {
  std::uint32_t start[256];
  std::uint32_t sum = 0;
  for (int b = 0; b < 256; ++b) {
    start[b] = sum;
    sum += byteCount_[b];
  }
  std::uint32_t* tt = tt_.get();
  for (std::uint32_t i = 0; i < blockLen_; ++i) tt[start[tt[i] & 0xFF]++] |= i << 8;
  ttPos_ = tt[origPtr_] >> 8;
  ttLeft_ = blockLen_;
}

Result Decoder::endBlock() {
  const std::uint32_t crc = ~blockCrc_;
  if (crc != blockCrcWanted_) return Result::corrupt;
  streamCrc_ = ((streamCrc_ << 1) | (streamCrc_ >> 31)) ^ crc;
  state_ = State::blockHeader;
  return Result::ok;
}

Result Decoder::read(std::uint8_t* out, std::size_t cap, std::size_t& produced) {
  produced = 0;
  while (produced < cap) {
    if (state_ == State::blockData) {
      // The hot loop: one Burrows-Wheeler step and the run-length stage.
      // State lives in locals: stores through `out` could alias members.
      const std::uint32_t* tt = tt_.get();
      std::uint32_t crc = blockCrc_, repeat = repeatLeft_, left = ttLeft_, pos = ttPos_;
      int run = runLength_, last = lastByte_;
      while (produced < cap) {
        if (repeat) {
          --repeat;
        } else if (left) {
          const std::uint32_t e = tt[pos];
          const int b = static_cast<int>(e & 0xFF);
          pos = e >> 8;
          --left;
          if (run == 4) {
            repeat = static_cast<std::uint32_t>(b);
            run = 0;
            continue;
          }
          run = b == last ? run + 1 : 1;
          last = b;
        } else {
          break;
        }
        const auto byte = static_cast<std::uint8_t>(last);
        crc = (crc << 8) ^ kCrcTable[(crc >> 24) ^ byte];
        out[produced++] = byte;
      }
      blockCrc_ = crc;
      repeatLeft_ = repeat;
      ttLeft_ = left;
      ttPos_ = pos;
      runLength_ = run;
      lastByte_ = last;
      if (produced == cap) break;
      Result r = endBlock();
      if (r != Result::ok) return r;
    }
    Result r = Result::ok;
    if (state_ == State::streamHeader) r = startStream();
    if (r == Result::ok && state_ == State::blockHeader) r = startBlock();
    if (r != Result::ok) return r;
    if (state_ == State::done) break;
  }
  return Result::ok;
}

}  // namespace rivano::arc::bz2
