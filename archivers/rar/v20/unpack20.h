// Internals of the RAR 2.x decoder shared with its tests; callers use
// makeUnpacker20 from rar_unpack.h.
#pragma once

#include <cstdint>

#include "archivers/rar/rar_unpack.h"
#include "archivers/rar/v20/bit_input.h"
#include "archivers/rar/v20/huffman.h"
#include "archivers/rar/v20/lz_window.h"

namespace rivano::arc::rar {

// Window size for the 2.x and 3.x decoders: at least 4 MiB (the largest
// dictionary those versions write), more when a header asks for more.
inline std::uint32_t windowSizeFor(std::uint32_t dictionarySize) {
  constexpr std::uint32_t kMinimum = 4u << 20;
  return dictionarySize > kMinimum ? dictionarySize : kMinimum;
}

// The match lengths and short distances of the 2.x and 3.x formats, which
// share them: a base and the number of extra bits that follow.
inline constexpr std::uint8_t kLengthBase[28] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  10,  12,  14,  16,  20,
                                                 24, 28, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224};
inline constexpr std::uint8_t kLengthBits[28] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2,
                                                 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5};
inline constexpr std::uint8_t kShortBase[8] = {0, 4, 8, 16, 32, 64, 128, 192};
inline constexpr std::uint8_t kShortBits[8] = {2, 2, 3, 4, 5, 6, 6, 6};

class Unpacker20 final : public Unpacker {
 public:
  explicit Unpacker20(std::uint32_t dictionarySize) : dictionarySize_(dictionarySize) {}
  Result unpack(ByteSpan packed, std::uint64_t unpackedSize, bool solid, Sink& sink) override;

 private:
  static constexpr unsigned kMainSymbols = 298;
  static constexpr unsigned kDistSymbols = 48;
  static constexpr unsigned kRepSymbols = 28;
  static constexpr unsigned kAudioSymbols = 257;

  struct AudioChannel {
    int k[5] = {};
    int d[4] = {};
    int lastDelta = 0;
    unsigned dif[11] = {};
    unsigned byteCount = 0;
    int lastChar = 0;
  };

  void resetState();
  bool readTables();
  void readLastTables();
  std::uint8_t decodeAudio(int delta);
  bool copyString(std::uint32_t length, std::uint32_t distance);
  Result decode(std::uint64_t end, Sink& sink);

  std::uint32_t dictionarySize_;
  LzWindow window_;
  BitInput in_;
  HuffmanTable main_, dist_, rep_, level_;
  HuffmanTable audio_[4];
  std::uint8_t oldTable_[kAudioSymbols * 4] = {};
  bool tablesRead_ = false;
  bool audioBlock_ = false;
  unsigned channels_ = 1;
  unsigned currentChannel_ = 0;
  int channelDelta_ = 0;
  AudioChannel audioState_[4];
  std::uint32_t oldDist_[4] = {};
  unsigned oldDistPos_ = 0;
  std::uint32_t lastDist_ = 0;
  std::uint32_t lastLength_ = 0;
};

}  // namespace rivano::arc::rar
