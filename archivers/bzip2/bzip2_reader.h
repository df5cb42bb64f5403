// .bz2 sources: either one bzip2-compressed file, whose single member is
// named after the archive without ".bz2", or a bzip2-compressed tar archive,
// which the tar reader lists from the decompressed bytes.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "archivers/core/archive_format.h"

namespace rivano::arc {

using TarOpener = std::unique_ptr<ArchiveReader> (*)(ByteSpan data, const Limits& limits, Result& result);

// archiveName may carry a folder part; only the last component names the
// member. Without openTar every source is taken as a single file.
std::unique_ptr<ArchiveReader> openBzip2(ByteSpan data, std::string_view archiveName, const Limits& limits,
                                         Result& result, TarOpener openTar);

// See bzip2_tar.h; lives here because only this unit knows the reader.
bool nameBzip2Member(ArchiveReader& reader, std::string_view archiveName);

namespace bz2 {
// "photo.jpg.bz2" -> "photo.jpg", "x.tbz" -> "x.tar"; folders dropped.
std::string memberNameFor(std::string_view archiveName);
// Decodes the whole source into memory; tooLarge past limit bytes.
Result decompressAll(ByteSpan data, std::uint64_t limit, std::vector<std::uint8_t>& out);
}  // namespace bz2

}  // namespace rivano::arc
