// The RAR 2.x decoder alone, on raw packed data: the first byte picks the
// dictionary size and whether a second member follows as a solid
// continuation, so both the fresh and the carried-over state are reached.
#include "archivers/rar/v20/fuzz_unpacker.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  rivano::arc::rar::fuzzUnpacker(data, size, &rivano::arc::rar::makeUnpacker20);
  return 0;
}
