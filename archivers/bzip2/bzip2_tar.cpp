#include "archivers/bzip2/bzip2_tar.h"

#include "archivers/bzip2/bzip2_reader.h"
#include "archivers/tar/tar_reader.h"

namespace rivano::arc {

std::unique_ptr<ArchiveReader> openBz2(ByteSpan data, const Limits& limits, Result& result) {
  return openBzip2(data, std::string_view(), limits, result, &openTar);
}

}  // namespace rivano::arc
