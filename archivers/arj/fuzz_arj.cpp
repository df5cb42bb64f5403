// libFuzzer entry: open, list and extract every member of arbitrary bytes.
#include <cstddef>
#include <cstdint>

#include "archivers/arj/arj_fast.h"
#include "archivers/arj/arj_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace rivano::arc;
  Limits limits;
  limits.maxMemberSize = 8u << 20;  // keeps each run short, as the DLLs' bounds keep memory
  limits.maxMembers = 4096;
  Result r;
  auto reader = openArj(ByteSpan(data, size), limits, r);
  std::vector<MemberEntry> members;
  if (reader) reader->list(members);
  for (const auto& m : members) {
    VectorSink sink(limits.maxMemberSize);
    reader->extract(m, sink);
  }
  // Method 4's decoder bare, so mutations need not get past a header first.
  arj::FastDecoder decoder{ByteSpan(data, size)};
  std::uint8_t buf[4099];
  std::size_t total = 0, n = 0;
  while (total < (1u << 20) && decoder.read(buf, sizeof buf, n) == Result::ok) total += n;
  return 0;
}
