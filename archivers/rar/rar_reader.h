// RAR archives: the 1.5-4.x container ("Rar!\x1A\x07\x00") and RAR 5
// ("Rar!\x1A\x07\x01\x00"), plain or behind a self-extractor stub. The
// compressed members go to the decoders of rar_unpack.h; a generation left
// out of the build reads as unsupportedMethod.
#pragma once

#include <memory>

#include "archivers/core/archive_format.h"

namespace rivano::arc {

// notThisFormat unless a RAR marker starts the data or lies within the
// first 4 MiB (a self-extractor's stub or a picture the archive was
// appended to); corrupt when the marker is there but the archive header
// after it is broken. An archive with encrypted headers opens, and its
// listing ends at once with unsupportedMethod.
std::unique_ptr<ArchiveReader> openRar(ByteSpan data, const Limits& limits, Result& result);

}  // namespace rivano::arc
