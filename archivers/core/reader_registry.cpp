#include "archivers/core/reader_registry.h"

namespace rivano::arc {

std::unique_ptr<ArchiveReader> openWithReaders(std::span<const ReaderEntry> readers, ByteSpan data,
                                               const Limits& limits, Result& result) {
  Result failure = Result::notThisFormat;
  for (const ReaderEntry& entry : readers) {
    Result r = Result::notThisFormat;
    std::unique_ptr<ArchiveReader> reader = entry.open(data, limits, r);
    if (reader) {
      result = Result::ok;
      return reader;
    }
    if (r != Result::notThisFormat && failure == Result::notThisFormat) failure = r;
  }
  result = failure;
  return nullptr;
}

}  // namespace rivano::arc
