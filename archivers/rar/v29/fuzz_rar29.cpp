// The RAR 3.x decoder alone (LZ, PPMd and filters), on raw packed data; see
// fuzz_unpacker.h for how the input is split.
#include "archivers/rar/v20/fuzz_unpacker.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  rivano::arc::rar::fuzzUnpacker(data, size, &rivano::arc::rar::makeUnpacker29);
  return 0;
}
