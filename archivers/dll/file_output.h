// Writing one extracted member to disk: folders first, then the bytes into
// a temporary file beside the final name, renamed only once the reader has
// checked the data. A failed or damaged member leaves no file behind.
#pragma once

#include "archivers/core/archive_format.h"
#include "archivers/core/member_path.h"

namespace rivano::arc {

// 0 on success, else one of the ShellError codes.
int extractToFile(ArchiveReader& reader, const MemberEntry& member, const PlacedPath& placed);

}  // namespace rivano::arc
