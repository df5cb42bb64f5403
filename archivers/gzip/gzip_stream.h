// gzip (RFC 1952) decoding into memory, for .tgz archives. Concatenated
// members are joined as gunzip does; bytes after the last member that do
// not start another member are ignored, as tape padding often is.
#pragma once

#include <cstdint>
#include <vector>

#include "archivers/core/archive_format.h"

namespace rivano::arc {

bool looksLikeGzip(ByteSpan data) noexcept;

// Output beyond limits.maxStreamSize is tooLarge: a bomb stops there. Each
// member's CRC-32 and length are checked.
Result gunzip(ByteSpan data, const Limits& limits, std::vector<std::uint8_t>& out);

}  // namespace rivano::arc
