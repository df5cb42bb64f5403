// libFuzzer entry: the RAR 5 decoder on two members of one solid stream
// (input layout in fuzz_two_members.h).
#include <cstddef>
#include <cstdint>

#include "archivers/rar/fuzz_two_members.h"
#include "archivers/rar/v50/unpack50.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace rivano::arc;
  if (size < 9) return 0;
  const unsigned version = data[0] & 1;
  const std::uint64_t dictionary = std::uint64_t{0x20000} << ((data[0] >> 1) & 15);
  auto unpacker = rar::makeUnpacker50(dictionary, version);
  rar::fuzzTwoMembers(data, size, *unpacker, dictionary > rar::kMaxDictionary);
  return 0;
}
