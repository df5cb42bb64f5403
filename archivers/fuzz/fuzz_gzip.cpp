#include "archivers/fuzz/fuzz_common.h"
#include "archivers/gzip/tgz_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  rivano::arc::fuzz::exercise(&rivano::arc::openTgz, data, size);
  return 0;
}
