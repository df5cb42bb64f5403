// libFuzzer entry: open, list and extract every member of arbitrary bytes.
#include <cstddef>
#include <cstdint>

#include "archivers/lzh/lzh_decoder.h"
#include "archivers/lzh/lzh_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace rivano::arc;
  Limits limits;
  limits.maxMemberSize = 8u << 20;  // keeps each run short, as the DLLs' bounds keep memory
  limits.maxMembers = 4096;
  Result r;
  auto reader = openLzh(ByteSpan(data, size), limits, r);
  std::vector<MemberEntry> members;
  if (reader) reader->list(members);
  for (const auto& m : members) {
    VectorSink sink(limits.maxMemberSize);
    reader->extract(m, sink);
  }
  // The bare decoder too, so mutations need not get past a header first.
  bool known = false;
  const char digit = size ? static_cast<char>('5' + data[0] % 3) : '5';
  lz::LzHuffDecoder decoder(ByteSpan(data, size).subspan(size ? 1 : 0), lz::lzhParams(digit, known));
  std::uint8_t buf[4099];
  std::size_t total = 0, n = 0;
  while (total < (1u << 20) && decoder.read(buf, sizeof buf, n) == Result::ok) total += n;
  return 0;
}
