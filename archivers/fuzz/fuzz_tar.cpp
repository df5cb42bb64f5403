#include "archivers/fuzz/fuzz_common.h"
#include "archivers/tar/tar_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  rivano::arc::fuzz::exercise(&rivano::arc::openTar, data, size);
  return 0;
}
