// libFuzzer entry: the RAR 1.5 decoder on two members of one solid stream
// (input layout in fuzz_two_members.h; byte 0 is unused here).
#include <cstddef>
#include <cstdint>

#include "archivers/rar/fuzz_two_members.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace rivano::arc;
  if (size < 9) return 0;
  auto unpacker = rar::makeUnpacker15(0x10000);
  rar::fuzzTwoMembers(data, size, *unpacker, false);
  return 0;
}
