// The .bz2 reader as the Tar library's reader table wants it: the tar
// reader for a tar inside, the single-file reader otherwise.
#pragma once

#include <memory>
#include <string_view>

#include "archivers/core/archive_format.h"

namespace rivano::arc {

// Same as openBzip2 with the tar reader, but the table passes no archive
// name: a single file's member stays unnamed until nameBzip2Member.
std::unique_ptr<ArchiveReader> openBz2(ByteSpan data, const Limits& limits, Result& result);

// Names the member of a single-file .bz2 after its archive ("a.jpg.bz2"
// gives "a.jpg"). False, and nothing changed, for any other reader.
bool nameBzip2Member(ArchiveReader& reader, std::string_view archiveName);

}  // namespace rivano::arc
