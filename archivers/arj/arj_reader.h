// ARJ archives: stored members, methods 1 to 3 (shared LZ77 + Huffman
// decoder) and method 4. Encrypted and multi-volume members are listed but
// not extracted.
#pragma once

#include <cstdint>
#include <memory>

#include "archivers/core/archive_format.h"

namespace rivano::arc {

// notThisFormat unless an ARJ main header (with a good CRC) starts the
// data or follows a self-extractor stub within its first 64 KiB.
std::unique_ptr<ArchiveReader> openArj(ByteSpan data, const Limits& limits, Result& result);

}  // namespace rivano::arc
