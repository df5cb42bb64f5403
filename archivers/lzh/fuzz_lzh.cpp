// libFuzzer entry: open, list and extract every member of arbitrary bytes.
#include <cstddef>
#include <cstdint>

#include "archivers/fuzz/fuzz_common.h"
#include "archivers/lzh/lzh_decoder.h"
#include "archivers/lzh/lzh_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace rivano::arc;
  fuzz::exercise(&openLzh, data, size);
  // The bare decoder too, so mutations need not get past a header first.
  bool known = false;
  const char digit = size ? static_cast<char>('5' + data[0] % 3) : '5';
  lz::LzHuffDecoder decoder(ByteSpan(data, size).subspan(size ? 1 : 0), lz::lzhParams(digit, known));
  std::uint8_t buf[4099];
  std::size_t total = 0, n = 0;
  while (total < (1u << 20) && decoder.read(buf, sizeof buf, n) == Result::ok) total += n;
  return 0;
}
