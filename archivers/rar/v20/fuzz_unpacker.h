// Shared entry of the RAR decoder fuzz targets. Input layout: one control
// byte (low 3 bits: dictionary 64 KiB << n; bit 3: a second, solid member
// follows), a little-endian 16-bit length of the first member's packed
// bytes, then the packed bytes; the rest is the second member. Each member
// asks for up to 1 MiB of output, so bombs end quickly.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>

#include "archivers/rar/rar_unpack.h"

namespace rivano::arc::rar {

inline void fuzzUnpacker(const std::uint8_t* data, std::size_t size,
                         std::unique_ptr<Unpacker> (*make)(std::uint32_t)) {
  if (size < 5) return;
  const std::uint8_t control = data[0];
  const std::uint32_t dictionary = std::uint32_t{0x10000} << (control & 7);
  const std::uint64_t wanted = (std::uint64_t{data[3]} << 12) | 1;  // 1 byte to 1 MiB
  std::size_t firstSize = data[1] | (std::size_t{data[2]} << 8);
  data += 4;
  size -= 4;
  if (firstSize > size) firstSize = size;
  std::unique_ptr<Unpacker> unpacker = make(dictionary);
  VectorSink sink(std::uint64_t{2} << 20);
  Result r = unpacker->unpack(ByteSpan(data, firstSize), wanted, false, sink);
  if (r == Result::ok && sink.bytes.size() != wanted) std::abort();
  if ((control & 8) == 0) return;
  VectorSink second(std::uint64_t{2} << 20);
  r = unpacker->unpack(ByteSpan(data + firstSize, size - firstSize), wanted, true, second);
  if (r == Result::ok && second.bytes.size() != wanted) std::abort();
}

}  // namespace rivano::arc::rar
