// libFuzzer entry: open, list and extract every member of arbitrary bytes.
#include <cstddef>
#include <cstdint>

#include "archivers/arj/arj_fast.h"
#include "archivers/arj/arj_reader.h"
#include "archivers/fuzz/fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace rivano::arc;
  fuzz::exercise(&openArj, data, size);
  // Method 4's decoder bare, so mutations need not get past a header first.
  arj::FastDecoder decoder{ByteSpan(data, size)};
  std::uint8_t buf[4099];
  std::size_t total = 0, n = 0;
  while (total < (1u << 20) && decoder.read(buf, sizeof buf, n) == Result::ok) total += n;
  return 0;
}
