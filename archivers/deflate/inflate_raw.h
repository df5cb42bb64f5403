// Raw deflate (no zlib or gzip wrapper) through zlib, into a Sink, bounded.
#pragma once

#include <cstdint>

#include "archivers/core/archive_format.h"

namespace rivano::arc {

struct InflateOutcome {
  Result result = Result::ok;
  std::uint64_t consumed = 0;  // input bytes up to the end of the deflate stream
  std::uint64_t produced = 0;
  std::uint32_t crc = 0;       // CRC-32 of what was produced
};

// Inflates one deflate stream from the start of `input`. More than
// `outputLimit` bytes of output is tooLarge (nothing past the limit reaches
// the sink); input ending before the stream does is corrupt; a refusing
// sink is ioError.
InflateOutcome inflateRaw(ByteSpan input, std::uint64_t outputLimit, Sink& sink);

}  // namespace rivano::arc
