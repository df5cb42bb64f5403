// The Deflate64 decoder alone: raw streams straight from the fuzzer reach
// its block and code parsing far faster than through a ZIP around them.
#include <cstdint>

#include "archivers/deflate/inflate64.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  rivano::arc::VectorSink sink(4 << 20);
  const rivano::arc::InflateOutcome out = rivano::arc::inflate64(rivano::arc::ByteSpan(data, size), 4 << 20, sink);
  if (out.produced != sink.bytes.size() || out.consumed > size) __builtin_trap();
  return 0;
}
