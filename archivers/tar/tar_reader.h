// TAR archives: v7, ustar, GNU (long names 'L', base-256 numbers) and pax
// ('x' path, size and mtime; 'g' ignored). Every header checksum is checked.
// Regular files and folders are listed; links, devices and labels are not,
// since they have no bytes of their own to give; nor are members under a
// symbolic link's name, which were meant to be written through the link.
#pragma once

#include <memory>

#include "archivers/core/archive_format.h"

namespace rivano::arc {

// Opens tar bytes, raw or already decompressed (the gzip and bzip2 readers
// call this on their output). The bytes must outlive the reader.
std::unique_ptr<ArchiveReader> openTar(ByteSpan data, const Limits& limits, Result& result);

}  // namespace rivano::arc
