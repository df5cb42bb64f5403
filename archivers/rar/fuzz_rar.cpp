// libFuzzer entry: open, list and extract every member of arbitrary bytes
// as a RAR archive (both container layouts, with whichever decoders the
// build has).
#include <cstddef>
#include <cstdint>

#include "archivers/fuzz/fuzz_common.h"
#include "archivers/rar/rar_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  rivano::arc::fuzz::exercise(&rivano::arc::openRar, data, size);
  return 0;
}
