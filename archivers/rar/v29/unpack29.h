// Internals of the RAR 2.9 / 3.x decoder; callers use makeUnpacker29 from
// rar_unpack.h.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "archivers/rar/rar_unpack.h"
#include "archivers/rar/v20/bit_input.h"
#include "archivers/rar/v20/huffman.h"
#include "archivers/rar/v20/lz_window.h"
#include "archivers/rar/v29/filters.h"
#include "archivers/rar/v29/ppm_model.h"

namespace rivano::arc::rar {

class Unpacker29 final : public Unpacker {
 public:
  explicit Unpacker29(std::uint32_t dictionarySize) : dictionarySize_(dictionarySize) {}
  Result unpack(ByteSpan packed, std::uint64_t unpackedSize, bool solid, Sink& sink) override;

 private:
  static constexpr unsigned kMainSymbols = 299;
  static constexpr unsigned kDistSymbols = 60;
  static constexpr unsigned kLowDistSymbols = 17;
  static constexpr unsigned kRepSymbols = 28;
  static constexpr unsigned kTableSize = kMainSymbols + kDistSymbols + kLowDistSymbols + kRepSymbols;
  // More filter programs or queued filter blocks than this is an attack.
  static constexpr std::size_t kMaxFilters = 8192;

  struct Program {
    FilterKind kind;
    std::uint32_t lastLength;
  };
  struct PendingFilter {
    FilterKind kind;
    std::uint64_t start;
    std::uint32_t length;
    std::uint32_t r[7];
  };
  // What one step of the decoding loop found.
  enum class Step { more, endOfMember, corrupt, unsupported };

  void resetState();
  bool readTables();
  Step readEndOfBlock();
  Step readFilterFromLz();
  Step readFilterFromPpm();
  Step addFilter(std::uint32_t first, const std::uint8_t* code, std::size_t size);
  Step decodeLz();
  Step decodePpm();
  void readTrailer();
  Result flush(Sink& sink);
  Result decode(std::uint64_t end, Sink& sink);
  void insertOldDist(std::uint32_t distance) {
    oldDist_[3] = oldDist_[2];
    oldDist_[2] = oldDist_[1];
    oldDist_[1] = oldDist_[0];
    oldDist_[0] = distance;
  }

  std::uint32_t dictionarySize_;
  LzWindow window_;
  BitInput in_;
  HuffmanTable main_, dist_, lowDist_, rep_, level_;
  std::uint8_t oldTable_[kTableSize] = {};
  bool tablesRead_ = false;
  bool ppmBlock_ = false;
  int ppmEscape_ = 2;
  std::unique_ptr<PpmModel> ppm_;
  std::uint32_t oldDist_[4] = {};
  std::uint32_t lastLength_ = 0;
  std::uint32_t prevLowDist_ = 0;
  unsigned lowDistRepeat_ = 0;

  std::vector<Program> programs_;
  std::size_t lastFilter_ = 0;
  std::deque<PendingFilter> pending_;
  std::unique_ptr<std::uint8_t[]> filterMemory_;

  std::uint64_t memberStart_ = 0;
  std::uint64_t written_ = 0;
};

}  // namespace rivano::arc::rar
