#include "archivers/rar/v20/unpack20.h"

#include <cstdlib>
#include <cstring>

namespace rivano::arc::rar {
namespace {

constexpr std::uint32_t kDistBase[48] = {
    0,      1,      2,      3,      4,      6,      8,      12,     16,     24,     32,     48,
    64,     96,     128,    192,    256,    384,    512,    768,    1024,   1536,   2048,   3072,
    4096,   6144,   8192,   12288,  16384,  24576,  32768,  49152,  65536,  98304,  131072, 196608,
    262144, 327680, 393216, 458752, 524288, 589824, 655360, 720896, 786432, 851968, 917504, 983040};
constexpr std::uint8_t kDistBits[48] = {0,  0,  0,  0,  1,  1,  2,  2,  3,  3,  4,  4,  5,  5,  6,  6,
                                        7,  7,  8,  8,  9,  9,  10, 10, 11, 11, 12, 12, 13, 13, 14, 14,
                                        15, 15, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16};

std::uint32_t extraBits(BitInput& in, unsigned n) { return n == 0 ? 0 : in.bits(n); }

}  // namespace

void Unpacker20::resetState() {
  tablesRead_ = false;
  audioBlock_ = false;
  channels_ = 1;
  currentChannel_ = 0;
  channelDelta_ = 0;
  for (AudioChannel& c : audioState_) c = AudioChannel{};
  std::memset(oldTable_, 0, sizeof oldTable_);
  std::memset(oldDist_, 0, sizeof oldDist_);
  oldDistPos_ = 0;
  lastDist_ = 0;
  lastLength_ = 0;
  window_.resetHistory();
}

bool Unpacker20::readTables() {
  const std::uint32_t head = in_.peek16();
  audioBlock_ = (head & 0x8000) != 0;
  if ((head & 0x4000) == 0) std::memset(oldTable_, 0, sizeof oldTable_);
  in_.skip(2);
  unsigned tableSize;
  if (audioBlock_) {
    channels_ = ((head >> 12) & 3) + 1;
    if (currentChannel_ >= channels_) currentChannel_ = 0;
    in_.skip(2);
    tableSize = kAudioSymbols * channels_;
  } else {
    tableSize = kMainSymbols + kDistSymbols + kRepSymbols;
  }
  std::uint8_t levelLengths[19];
  for (std::uint8_t& l : levelLengths) l = static_cast<std::uint8_t>(in_.bits(4));
  level_.build(levelLengths, 19);

  std::uint8_t table[kAudioSymbols * 4];
  for (unsigned i = 0; i < tableSize;) {
    if (in_.overrun()) return false;
    const int symbol = level_.decode(in_);
    if (symbol < 0) return false;
    if (symbol < 16) {
      table[i] = static_cast<std::uint8_t>((symbol + oldTable_[i]) & 15);
      ++i;
    } else if (symbol == 16) {
      if (i == 0) return false;
      unsigned n = in_.bits(2) + 3;
      for (; n > 0 && i < tableSize; --n, ++i) table[i] = table[i - 1];
    } else {
      unsigned n = symbol == 17 ? in_.bits(3) + 3 : in_.bits(7) + 11;
      for (; n > 0 && i < tableSize; --n) table[i++] = 0;
    }
  }
  if (in_.overrun()) return false;
  if (audioBlock_) {
    for (unsigned c = 0; c < channels_; ++c) audio_[c].build(table + c * kAudioSymbols, kAudioSymbols);
  } else {
    main_.build(table, kMainSymbols);
    dist_.build(table + kMainSymbols, kDistSymbols);
    rep_.build(table + kMainSymbols + kDistSymbols, kRepSymbols);
  }
  std::memcpy(oldTable_, table, tableSize);
  tablesRead_ = true;
  return true;
}

// A member may end with the switch to the next member's tables; a solid
// successor starts with them in place.
void Unpacker20::readLastTables() {
  if (in_.bytesLeft() < 5) return;
  if (audioBlock_) {
    if (audio_[currentChannel_].decode(in_) == 256) readTables();
  } else if (main_.decode(in_) == 269) {
    readTables();
  }
}

std::uint8_t Unpacker20::decodeAudio(int delta) {
  AudioChannel& v = audioState_[currentChannel_];
  ++v.byteCount;
  v.d[3] = v.d[2];
  v.d[2] = v.d[1];
  v.d[1] = v.lastDelta - v.d[0];
  v.d[0] = v.lastDelta;
  int predicted = 8 * v.lastChar + v.k[0] * v.d[0] + v.k[1] * v.d[1] + v.k[2] * v.d[2] + v.k[3] * v.d[3] +
                  v.k[4] * channelDelta_;
  predicted = (predicted >> 3) & 0xff;
  const unsigned ch = static_cast<unsigned>(predicted - delta) & 0xff;
  const int d = static_cast<int>(static_cast<std::int8_t>(delta)) * 8;
  v.dif[0] += static_cast<unsigned>(std::abs(d));
  for (int j = 0; j < 4; ++j) {
    v.dif[1 + 2 * j] += static_cast<unsigned>(std::abs(d - v.d[j]));
    v.dif[2 + 2 * j] += static_cast<unsigned>(std::abs(d + v.d[j]));
  }
  v.dif[9] += static_cast<unsigned>(std::abs(d - channelDelta_));
  v.dif[10] += static_cast<unsigned>(std::abs(d + channelDelta_));
  channelDelta_ = v.lastDelta = static_cast<std::int8_t>(ch - static_cast<unsigned>(v.lastChar));
  v.lastChar = static_cast<int>(ch);

  if ((v.byteCount & 0x1f) == 0) {
    unsigned minDif = v.dif[0];
    unsigned best = 0;
    v.dif[0] = 0;
    for (unsigned j = 1; j < 11; ++j) {
      if (v.dif[j] < minDif) {
        minDif = v.dif[j];
        best = j;
      }
      v.dif[j] = 0;
    }
    if (best != 0) {
      // Odd entries lower a coefficient, even ones raise it, within -17..16.
      int& k = v.k[(best - 1) / 2];
      if ((best & 1) != 0) {
        if (k >= -16) --k;
      } else if (k < 16) {
        ++k;
      }
    }
  }
  return static_cast<std::uint8_t>(ch);
}

bool Unpacker20::copyString(std::uint32_t length, std::uint32_t distance) {
  oldDist_[oldDistPos_++ & 3] = distance;
  lastDist_ = distance;
  lastLength_ = length;
  return length == 0 || window_.copy(distance, length);
}

Result Unpacker20::decode(std::uint64_t end, Sink& sink) {
  std::uint64_t written = window_.pos();
  const std::uint64_t flushAt = window_.size() / 2;
  while (window_.pos() < end) {
    if (in_.overrun()) return Result::corrupt;
    if (window_.pos() - written >= flushAt) {
      if (!window_.write(written, window_.pos(), sink)) return Result::ioError;
      written = window_.pos();
    }
    if (audioBlock_) {
      const int symbol = audio_[currentChannel_].decode(in_);
      if (symbol < 0) return Result::corrupt;
      if (symbol == 256) {
        if (!readTables()) return Result::corrupt;
        continue;
      }
      window_.put(decodeAudio(symbol));
      if (++currentChannel_ == channels_) currentChannel_ = 0;
      continue;
    }
    const int symbol = main_.decode(in_);
    if (symbol < 256) {
      if (symbol < 0) return Result::corrupt;
      window_.put(static_cast<std::uint8_t>(symbol));
      continue;
    }
    std::uint32_t length;
    std::uint32_t distance;
    if (symbol > 269) {
      const unsigned l = static_cast<unsigned>(symbol) - 270;
      length = kLengthBase[l] + 3 + extraBits(in_, kLengthBits[l]);
      const int d = dist_.decode(in_);
      if (d < 0) return Result::corrupt;
      distance = kDistBase[d] + 1 + extraBits(in_, kDistBits[d]);
      if (distance >= 0x2000) {
        ++length;
        if (distance >= 0x40000) ++length;
      }
    } else if (symbol == 269) {
      if (!readTables()) return Result::corrupt;
      continue;
    } else if (symbol == 256) {
      length = lastLength_;
      distance = lastDist_;
    } else if (symbol < 261) {
      distance = oldDist_[(oldDistPos_ - static_cast<unsigned>(symbol - 256)) & 3];
      const int l = rep_.decode(in_);
      if (l < 0) return Result::corrupt;
      length = kLengthBase[l] + 2 + extraBits(in_, kLengthBits[l]);
      if (distance >= 0x101) {
        ++length;
        if (distance >= 0x2000) {
          ++length;
          if (distance >= 0x40000) ++length;
        }
      }
    } else {
      const unsigned s = static_cast<unsigned>(symbol) - 261;
      distance = kShortBase[s] + 1 + extraBits(in_, kShortBits[s]);
      length = 2;
    }
    if (!copyString(length, distance)) return Result::corrupt;
  }
  if (window_.pos() != end) return Result::corrupt;
  readLastTables();
  if (!window_.write(written, end, sink)) return Result::ioError;
  return Result::ok;
}

Result Unpacker20::unpack(ByteSpan packed, std::uint64_t unpackedSize, bool solid, Sink& sink) {
  if (dictionarySize_ > kMaxDictionary) return Result::tooLarge;
  if (!window_.allocated()) {
    if (!window_.allocate(windowSizeFor(dictionarySize_))) return Result::tooLarge;
    solid = false;
  }
  if (!solid) resetState();
  if (unpackedSize == 0 && packed.empty()) return Result::ok;
  in_.reset(packed);
  const bool tables = tablesRead_ || readTables();
  // An empty member may still switch tables for a solid successor.
  if (unpackedSize == 0) {
    if (tables) readLastTables();
    return Result::ok;
  }
  if (!tables) return Result::corrupt;
  return decode(window_.pos() + unpackedSize, sink);
}

std::unique_ptr<Unpacker> makeUnpacker20(std::uint32_t dictionarySize) {
  return std::make_unique<Unpacker20>(dictionarySize);
}

}  // namespace rivano::arc::rar
