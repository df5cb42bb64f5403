// libFuzzer entry: the RAR 5 decoder on two members of one solid stream.
// Input layout (see make_seeds in the tests): byte 0 bit 0 the algorithm
// version, bits 1-4 the dictionary (128 KiB shifted); bytes 1-3 and 4-6 the
// two members' unpacked sizes (21 bits each); bytes 7-8 the first member's
// packed length; the packed bytes follow.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "archivers/rar/v50/unpack50.h"

namespace {

// Counts what arrives and aborts if a member ever produces more than its size.
class CountingSink final : public rivano::arc::Sink {
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

std::uint32_t size21(const std::uint8_t* p) { return (p[0] | p[1] << 8 | std::uint32_t{p[2]} << 16) & 0x1fffff; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace rivano::arc;
  if (size < 9) return 0;
  const unsigned version = data[0] & 1;
  const std::uint64_t dictionary = std::uint64_t{0x20000} << ((data[0] >> 1) & 15);
  const std::uint32_t sizes[2] = {size21(data + 1), size21(data + 4)};
  const std::size_t firstLength = data[7] | std::size_t{data[8]} << 8;
  const ByteSpan rest(data + 9, size - 9);
  const ByteSpan parts[2] = {rest.first(std::min(firstLength, rest.size())),
                             rest.subspan(std::min(firstLength, rest.size()))};
  auto unpacker = rar::makeUnpacker50(dictionary, version);
  for (int i = 0; i < 2; ++i) {
    CountingSink sink(sizes[i]);
    const Result r = unpacker->unpack(parts[i], sizes[i], i == 1, sink);
    if (r == Result::ok && sink.count != sizes[i]) std::abort();  // "ok" means the whole member
    if (dictionary > rar::kMaxDictionary && r != Result::tooLarge) std::abort();
  }
  return 0;
}
