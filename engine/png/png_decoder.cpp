#include "engine/png/png_decoder.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "engine/png/png_chunks.h"
#include "engine/png/png_pixels.h"
#include "engine/png/png_rows.h"

namespace rivano::png {
namespace {

// Reads one filtered row of `bytes` bytes (after its filter byte) into
// `row` and undoes the filter against `above`.
bool nextRow(RowInflater& inflater, std::span<std::uint8_t> row, std::span<const std::uint8_t> above,
             std::size_t step) {
  std::uint8_t filter = 0;
  return inflater.read({&filter, 1}) && inflater.read(row) && unfilterRow(filter, row, above, step);
}

PngStatus decodeSequential(const PngChunks& chunks, ByteSource& file, const PixelConverter& converter,
                           RowSink& sink) {
  const PngInfo& info = chunks.info;
  const std::size_t bytes = rowBytes(info.width, converter.bitsPerPixel());
  const std::size_t step = std::max(1, converter.bitsPerPixel() / 8);
  std::vector<std::uint8_t> current(bytes), above(bytes, 0);
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(info.width));
  RowInflater inflater(file, chunks.firstData);
  for (std::int32_t y = 0; y < info.height; ++y) {
    if (!nextRow(inflater, current, above, step)) return PngStatus::corrupt;
    converter.convert(current.data(), info.width, pixels.data());
    sink.row(pixels);
    current.swap(above);
  }
  return PngStatus::ok;
}

struct Pass {
  std::int32_t x0, y0, dx, dy;
};
constexpr Pass kAdam7[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                            {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};

std::int32_t passSide(std::int32_t side, std::int32_t start, std::int32_t step) {
  return side > start ? (side - start + step - 1) / step : 0;
}

// One pass of an interlaced picture, read by an inflater of its own that
// has passed over the passes before it, so that its rows come as the rows
// of the picture they belong to are made.
struct PassReader {
  PassReader(const Pass& p, std::int32_t w, std::int32_t h, std::size_t rowBytes, ByteSource& file,
             std::uint64_t firstData)
      : pass(p), width(w), height(h), inflater(file, firstData), current(rowBytes, 0), above(rowBytes, 0),
        pixels(static_cast<std::size_t>(w)) {}

  bool holds(std::int32_t y) const {
    return y >= pass.y0 && (y - pass.y0) % pass.dy == 0 && y < pass.y0 + height * pass.dy;
  }

  Pass pass;
  std::int32_t width, height;
  RowInflater inflater;
  std::vector<std::uint8_t> current, above;
  std::vector<std::uint32_t> pixels;
};

// Passes over `count` bytes of the inflated stream.
bool skipBytes(RowInflater& inflater, std::uint64_t count) {
  std::vector<std::uint8_t> scratch(static_cast<std::size_t>(std::min<std::uint64_t>(count, 64 * 1024)));
  while (count > 0) {
    const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(count, scratch.size()));
    if (!inflater.read(std::span(scratch).first(n))) return false;
    count -= n;
  }
  return true;
}

// Every row of the picture takes its pixels from the passes that hold it,
// each pass read where it stands in the stream. Nothing the size of the
// picture is ever held; the cost is inflating the stream's early part once
// more for each later pass, about twice the work of a picture that is not
// interlaced.
PngStatus decodeInterlaced(const PngChunks& chunks, ByteSource& file, const PixelConverter& converter,
                           RowSink& sink) {
  const PngInfo& info = chunks.info;
  const std::size_t step = std::max(1, converter.bitsPerPixel() / 8);
  std::vector<std::unique_ptr<PassReader>> passes;
  std::uint64_t before = 0;  // bytes of the inflated stream ahead of the pass
  for (const Pass& pass : kAdam7) {
    const std::int32_t passWidth = passSide(info.width, pass.x0, pass.dx);
    const std::int32_t passHeight = passSide(info.height, pass.y0, pass.dy);
    if (passWidth == 0 || passHeight == 0) continue;  // an empty pass has no rows, not even filter bytes
    const std::size_t bytes = rowBytes(passWidth, converter.bitsPerPixel());
    passes.push_back(std::make_unique<PassReader>(pass, passWidth, passHeight, bytes, file, chunks.firstData));
    if (!skipBytes(passes.back()->inflater, before)) return PngStatus::corrupt;
    before += static_cast<std::uint64_t>(passHeight) * (bytes + 1);
  }
  std::vector<std::uint32_t> row(static_cast<std::size_t>(info.width));
  for (std::int32_t y = 0; y < info.height; ++y) {
    for (const auto& reader : passes) {
      if (!reader->holds(y)) continue;
      if (!nextRow(reader->inflater, reader->current, reader->above, step)) return PngStatus::corrupt;
      converter.convert(reader->current.data(), reader->width, reader->pixels.data());
      for (std::int32_t px = 0; px < reader->width; ++px) {
        const auto x = static_cast<std::size_t>(reader->pass.x0 + px * reader->pass.dx);
        row[x] = reader->pixels[static_cast<std::size_t>(px)];
      }
      reader->current.swap(reader->above);
    }
    sink.row(row);
  }
  return PngStatus::ok;
}

class WholeImage final : public RowSink {
 public:
  explicit WholeImage(PixelImage& image) : image_(image) {}
  void row(std::span<const std::uint32_t> pixels) override {
    image_.pixels.insert(image_.pixels.end(), pixels.begin(), pixels.end());
  }

 private:
  PixelImage& image_;
};

}  // namespace

PngStatus readPngInfo(ByteSource& file, PngInfo& info) { return readHeader(file, info); }

PngStatus readPngInfo(std::span<const std::uint8_t> file, PngInfo& info) {
  MemorySource source(file);
  return readHeader(source, info);
}

PngStatus decodePngRows(ByteSource& file, std::uint32_t background, RowSink& sink) {
  PngChunks chunks;
  if (const PngStatus s = readChunks(file, chunks); s != PngStatus::ok) return s;
  const PixelConverter converter(chunks, background);
  return chunks.info.interlaced ? decodeInterlaced(chunks, file, converter, sink)
                                : decodeSequential(chunks, file, converter, sink);
}

PngStatus decodePngRows(std::span<const std::uint8_t> file, std::uint32_t background, RowSink& sink) {
  MemorySource source(file);
  return decodePngRows(source, background, sink);
}

PngStatus decodePng(std::span<const std::uint8_t> file, std::uint32_t background, PixelImage& image) {
  MemorySource source(file);
  return decodePng(source, background, image);
}

PngStatus decodePng(ByteSource& file, std::uint32_t background, PixelImage& image) {
  PngInfo info;
  if (const PngStatus s = readPngInfo(file, info); s != PngStatus::ok) return s;
  PixelImage decoded;
  decoded.width = info.width;
  decoded.height = info.height;
  decoded.pixels.reserve(static_cast<std::size_t>(info.width) * static_cast<std::size_t>(info.height));
  WholeImage sink(decoded);
  if (const PngStatus s = decodePngRows(file, background, sink); s != PngStatus::ok) return s;
  image = std::move(decoded);
  return PngStatus::ok;
}

}  // namespace rivano::png
