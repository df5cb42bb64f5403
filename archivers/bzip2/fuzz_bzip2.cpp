// libFuzzer entry: the .bz2 reader (single file and tar inside) on
// arbitrary bytes, and the bare decoder read in small pieces.
#include <cstddef>
#include <cstdint>

#include "archivers/bzip2/bzip2_decoder.h"
#include "archivers/bzip2/bzip2_reader.h"
#include "archivers/fuzz/fuzz_common.h"

namespace {
// Stands in for the tar reader: refuses everything but touches every byte.
std::unique_ptr<rivano::arc::ArchiveReader> fakeTar(rivano::arc::ByteSpan d, const rivano::arc::Limits&,
                                                    rivano::arc::Result& r) {
  volatile unsigned sum = 0;
  for (auto b : d) sum = sum + b;
  r = rivano::arc::Result::notThisFormat;
  return nullptr;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace rivano::arc;
  Limits limits = fuzz::limits();
  limits.maxStreamSize = 1u << 20;  // the whole stream is decoded; keeps each run short
  Result r;
  auto reader = openBzip2(ByteSpan(data, size), "fuzz.tar.bz2", limits, r, &fakeTar);
  if (reader) fuzz::exerciseReader(*reader, limits);
  bz2::Decoder decoder{ByteSpan(data, size)};
  std::uint8_t buf[333];
  std::size_t total = 0, n = 0;
  while (total < limits.maxMemberSize && decoder.read(buf, sizeof buf, n) == Result::ok && n == sizeof buf) {
    total += n;
  }
  return 0;
}
