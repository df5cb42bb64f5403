// Deflate64 (ZIP method 9, "enhanced deflate", which 7-Zip and Windows
// write): deflate with a 64 KiB window, length code 285 carrying 16 extra
// bits, and distance codes 30 and 31. zlib does not decode it, so this is a
// small decoder of its own: canonical Huffman codes read a bit at a time,
// every count and distance checked before use.
#pragma once

#include "archivers/deflate/inflate_raw.h"

namespace rivano::arc {

// Same contract as inflateRaw: more than `outputLimit` bytes is tooLarge,
// damaged or truncated input corrupt, a refusing sink ioError.
InflateOutcome inflate64(ByteSpan input, std::uint64_t outputLimit, Sink& sink);

}  // namespace rivano::arc
