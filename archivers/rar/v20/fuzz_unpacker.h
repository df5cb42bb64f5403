// Shared entry of the RAR decoder fuzz targets. Input layout: a control
// byte (low 3 bits: dictionary 64 KiB << n; bit 3: a second member follows
// as a solid continuation), the first member's packed length (16 bits,
// little-endian), the unpacked size asked of each member (24 bits, at most
// 128 KiB so that bombs end quickly), then the packed bytes of the first
// member and of the second.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>

#include "archivers/rar/rar_unpack.h"

namespace rivano::arc::rar {

inline void fuzzUnpacker(const std::uint8_t* data, std::size_t size,
                         std::unique_ptr<Unpacker> (*make)(std::uint32_t)) {
  constexpr std::uint64_t kMaxWanted = std::uint64_t{1} << 17;
  if (size < 6) return;
  const std::uint8_t control = data[0];
  const std::uint32_t dictionary = std::uint32_t{0x10000} << (control & 7);
  std::size_t firstSize = data[1] | (std::size_t{data[2]} << 8);
  std::uint64_t wanted = data[3] | (std::uint64_t{data[4]} << 8) | (std::uint64_t{data[5]} << 16);
  if (wanted > kMaxWanted) wanted = kMaxWanted;
  data += 6;
  size -= 6;
  if (firstSize > size) firstSize = size;
  std::unique_ptr<Unpacker> unpacker = make(dictionary);
  VectorSink sink(std::uint64_t{2} << 20);
  Result r = unpacker->unpack(ByteSpan(data, firstSize), wanted, false, sink);
  // "ok" means exactly the size asked for reached the sink.
  if (r == Result::ok && sink.bytes.size() != wanted) std::abort();
  if ((control & 8) == 0) return;
  VectorSink second(std::uint64_t{2} << 20);
  r = unpacker->unpack(ByteSpan(data + firstSize, size - firstSize), wanted, true, second);
  if (r == Result::ok && second.bytes.size() != wanted) std::abort();
}

}  // namespace rivano::arc::rar
