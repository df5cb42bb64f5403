// The decoders of the RAR compression generations, behind one interface the
// container reader drives. A decoder owns its sliding window; in a solid
// archive it is kept and a member continues where the one before it ended.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "archivers/core/archive_format.h"

namespace rivano::arc::rar {

// Largest dictionary we accept from any header; larger ones are refused
// before anything is allocated.
inline constexpr std::uint64_t kMaxDictionary = std::uint64_t{256} << 20;

class Unpacker {
 public:
  virtual ~Unpacker() = default;
  // Decodes one member whose packed bytes are `packed` (all of them, as the
  // container found them) into exactly `unpackedSize` bytes, written to the
  // sink in order and in chunks as the window fills (never the whole member
  // held at once). `solid` continues from the state the previous call left;
  // otherwise the state is reset first. Returns corrupt for damaged or
  // truncated data (also when the stream ends early or would run past
  // `unpackedSize`), ioError when the sink refuses, ok otherwise. The caller
  // checks the CRC of what reached the sink.
  virtual Result unpack(ByteSpan packed, std::uint64_t unpackedSize, bool solid, Sink& sink) = 0;
};

// Unpack version 15 (RAR 1.5).
std::unique_ptr<Unpacker> makeUnpacker15(std::uint32_t dictionarySize);
// Unpack versions 20 and 26 (RAR 2.x, with its audio mode).
std::unique_ptr<Unpacker> makeUnpacker20(std::uint32_t dictionarySize);
// Unpack versions 29 and 36 (RAR 2.9 to 4.x: LZ, PPMd variant H, the
// standard filters).
std::unique_ptr<Unpacker> makeUnpacker29(std::uint32_t dictionarySize);
// RAR 5 (compression algorithm version 0 and 1).
std::unique_ptr<Unpacker> makeUnpacker50(std::uint64_t dictionarySize);

}  // namespace rivano::arc::rar
