// ZIP archives: listed from the central directory, members stored,
// deflated, Deflate64 or (with the bzip2 decoder built) bzip2, CRC-32
// checked. Zip64 sizes and offsets are understood; encrypted members and
// other methods list but do not extract.
#pragma once

#include <memory>

#include "archivers/core/archive_format.h"

namespace rivano::arc {

std::unique_ptr<ArchiveReader> openZip(ByteSpan data, const Limits& limits, Result& result);

}  // namespace rivano::arc
