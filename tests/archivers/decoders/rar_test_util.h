// Helpers shared by the RAR decoder tests: running an unpacker into memory
// and the samples of the shared corpus.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "archivers/rar/rar_unpack.h"
#include "tests/archivers/decoders/decoder_test_util.h"

namespace rivano::arc::test {

// Records the size of every write, so tests can see the output arrive in pieces.
class RecordingSink final : public Sink {
 public:
  bool write(const std::uint8_t* data, std::size_t size) override {
    bytes.insert(bytes.end(), data, data + size);
    largestWrite = std::max(largestWrite, size);
    ++writes;
    return true;
  }
  Bytes bytes;
  std::size_t largestWrite = 0;
  std::size_t writes = 0;
};

inline Result unpackTo(rar::Unpacker& u, const Bytes& packed, std::uint64_t size, bool solid, Bytes& out) {
  RecordingSink sink;
  const Result r = u.unpack(ByteSpan(packed), size, solid, sink);
  out = std::move(sink.bytes);
  return r;
}

// The largest single allocation since the last reset (counted by the test
// program's operator new).
std::size_t largestAllocation();
void resetLargestAllocation();

inline std::string rarSample(const std::string& name) { return sharedArchive("rar/" + name); }

}  // namespace rivano::arc::test
