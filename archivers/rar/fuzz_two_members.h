// Shared entry of the RAR 1.5 and RAR 5 fuzz targets: two members of one
// solid stream. Input layout: byte 0 for the caller (RAR 5: bit 0 the
// algorithm version, bits 1-4 the dictionary, 128 KiB shifted); bytes 1-3
// and 4-6 the two members' unpacked sizes (21 bits each); bytes 7-8 the
// first member's packed length; the packed bytes follow.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "archivers/rar/rar_unpack.h"

namespace rivano::arc::rar {

// Counts what arrives and aborts if a member ever produces more than its size.
class CountingSink final : public Sink {
 public:
  explicit CountingSink(std::uint64_t limit) : limit_(limit) {}
  bool write(const std::uint8_t* data, std::size_t size) override {
    if (size > limit_ - count) std::abort();
    volatile std::uint8_t touch = size ? data[size - 1] : 0;
    (void)touch;
    count += size;
    return true;
  }
  std::uint64_t count = 0;

 private:
  std::uint64_t limit_;
};

// `unpacker` is made by the caller from byte 0; `refuse` says whether every
// member must come back tooLarge (a dictionary over the limit).
inline void fuzzTwoMembers(const std::uint8_t* data, std::size_t size, Unpacker& unpacker, bool refuse) {
  const auto size21 = [](const std::uint8_t* p) {
    return (p[0] | p[1] << 8 | std::uint32_t{p[2]} << 16) & 0x1fffff;
  };
  const std::uint32_t sizes[2] = {size21(data + 1), size21(data + 4)};
  const std::size_t firstLength = data[7] | std::size_t{data[8]} << 8;
  const ByteSpan rest(data + 9, size - 9);
  const ByteSpan parts[2] = {rest.first(std::min(firstLength, rest.size())),
                             rest.subspan(std::min(firstLength, rest.size()))};
  for (int i = 0; i < 2; ++i) {
    CountingSink sink(sizes[i]);
    const Result r = unpacker.unpack(parts[i], sizes[i], i == 1, sink);
    if (r == Result::ok && sink.count != sizes[i]) std::abort();  // "ok" means the whole member
    if (refuse && r != Result::tooLarge) std::abort();
  }
}

}  // namespace rivano::arc::rar
