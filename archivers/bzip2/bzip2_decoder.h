// bzip2 streams: Huffman-coded MTF/RLE2 symbols, the inverse
// Burrows-Wheeler transform, then the initial run-length stage undone.
// Every block CRC and every stream CRC is checked; concatenated streams are
// one output, bytes after the last stream that do not start another are
// ignored.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "archivers/core/archive_format.h"
#include "archivers/lzh/lzh_decoder.h"  // header-only bit reader

namespace rivano::arc::bz2 {

// True when the bytes start like a bzip2 stream ("BZh1".."BZh9" followed
// by a block or end-of-stream marker).
bool looksLikeBzip2(ByteSpan data);

class Decoder {
 public:
  explicit Decoder(ByteSpan input);
  ~Decoder();
  Decoder(const Decoder&) = delete;
  Decoder& operator=(const Decoder&) = delete;
  // Fills out[0..cap). Fewer bytes (with ok) only once the last stream
  // has ended; corrupt for a damaged or truncated stream.
  Result read(std::uint8_t* out, std::size_t cap, std::size_t& produced);
  bool finished() const { return state_ == State::done; }

 private:
  enum class State { streamHeader, blockHeader, blockData, done };
  Result startStream();
  Result startBlock();
  Result readTables();
  Result readSymbols();
  void inverseBwt();
  Result endBlock();

  lz::BitReader br_;
  State state_ = State::streamHeader;
  bool firstStream_ = true;
  std::uint32_t blockMax_ = 0;
  std::uint32_t streamCrc_ = 0;
  std::uint32_t blockCrcWanted_ = 0;
  std::uint32_t blockCrc_ = 0;
  std::uint32_t origPtr_ = 0;

  // Tables of the block being read.
  int alphaSize_ = 0;
  int groups_ = 0;
  std::uint8_t seqToByte_[256] = {};
  std::vector<std::uint8_t> selectors_;
  struct Table;
  std::vector<Table> tables_;

  // The block after the Burrows-Wheeler stage: tt_[i] holds a byte in its
  // low 8 bits and the index of the next entry above them.
  // Left uninitialised: every entry is written before it is read.
  std::unique_ptr<std::uint32_t[]> tt_;
  std::uint32_t ttCapacity_ = 0;
  std::uint32_t blockLen_ = 0;
  std::uint32_t ttLeft_ = 0;
  std::uint32_t ttPos_ = 0;
  std::uint32_t byteCount_[256] = {};

  // Initial run-length stage: four equal bytes are followed by a count.
  int runLength_ = 0;
  int lastByte_ = -1;
  std::uint32_t repeatLeft_ = 0;
};

// bzip2's CRC-32: polynomial 0x04C11DB7, most significant bit first.
std::uint32_t blockCrcUpdate(std::uint32_t crc, std::uint8_t byte);

}  // namespace rivano::arc::bz2
