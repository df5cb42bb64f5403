// libFuzzer entry: open, list and extract every member of arbitrary bytes.
#include <cstddef>
#include <cstdint>

#include "archivers/lzh/lzh_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace rivano::arc;
  Limits limits;
  limits.maxMemberSize = 8u << 20;  // keeps each run short, as the DLLs' bounds keep memory
  limits.maxMembers = 4096;
  Result r;
  auto reader = openLzh(ByteSpan(data, size), limits, r);
  if (!reader) return 0;
  std::vector<MemberEntry> members;
  reader->list(members);
  for (const auto& m : members) {
    VectorSink sink(limits.maxMemberSize);
    reader->extract(m, sink);
  }
  return 0;
}
