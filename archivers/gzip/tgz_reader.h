// .tgz: a tar inside gzip. The tar is decoded whole when the archive is
// opened (a gzip stream cannot be entered in the middle) and kept for the
// reader's lifetime.
#pragma once

#include <memory>

#include "archivers/core/archive_format.h"

namespace rivano::arc {

std::unique_ptr<ArchiveReader> openTgz(ByteSpan data, const Limits& limits, Result& result);

}  // namespace rivano::arc
