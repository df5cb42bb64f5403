// The decoder on arbitrary bytes: the header, then the rows, some of them
// straight on to a row-by-row shrink to a size taken from the input's
// length. Crashes, sanitizer reports and hangs are the findings; a decode
// that succeeds must also give every row it promised, each as wide.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "engine/png/png_decoder.h"
#include "engine/resample.h"

namespace {

class CheckingSink final : public rivano::png::RowSink {
 public:
  CheckingSink(std::int32_t width, std::int32_t height, std::int32_t shrinkTo)
      : width_(width), shrink_(width, height, shrinkTo, shrinkTo) {}
  void row(std::span<const std::uint32_t> pixels) override {
    if (pixels.size() != static_cast<std::size_t>(width_)) std::abort();
    for (std::uint32_t p : pixels)
      if (p > 0xFFFFFF) std::abort();
    shrink_.addRow(pixels);
    ++rows;
  }
  rivano::PixelImage finish() { return shrink_.finish(); }
  std::int32_t rows = 0;

 private:
  std::int32_t width_;
  rivano::RowByRowShrink shrink_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> file(data, size);
  rivano::png::PngInfo info;
  if (rivano::png::readPngInfo(file, info) != rivano::png::PngStatus::ok) return 0;
  // Pictures a fuzzer makes may declare the limit; memory is not what is looked for here.
  if (std::int64_t{info.width} * info.height > (std::int64_t{1} << 22)) return 0;
  const std::int32_t shrinkTo = static_cast<std::int32_t>(size % 5) + 1;
  CheckingSink sink(info.width, info.height, shrinkTo);
  const auto status = rivano::png::decodePngRows(file, static_cast<std::uint32_t>(size * 2654435761u) & 0xFFFFFF, sink);
  if (status == rivano::png::PngStatus::ok) {
    if (sink.rows != info.height) std::abort();
    const rivano::PixelImage shrunk = sink.finish();
    if (shrunk.width != shrinkTo || shrunk.height != shrinkTo) std::abort();
  }
  return 0;
}
