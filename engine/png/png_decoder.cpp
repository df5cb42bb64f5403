#include "engine/png/png_decoder.h"

#include <algorithm>
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

// The first six passes fill only the even rows, the seventh brings each
// odd row whole. So the even rows are kept, three bytes a pixel, until the
// seventh pass reaches the odd row below them; a row is handed on as soon
// as it is complete. Half the picture at 24 bits is the most it holds.
class EvenRows {
 public:
  EvenRows(std::int32_t width, std::int32_t height)
      : width_(static_cast<std::size_t>(width)),
        rows_(static_cast<std::size_t>((height + 1) / 2) * width_ * 3),
        out_(width_) {}

  void put(std::int32_t x, std::int32_t y, std::uint32_t pixel) {
    std::uint8_t* p = rows_.data() + (static_cast<std::size_t>(y / 2) * width_ + static_cast<std::size_t>(x)) * 3;
    p[0] = static_cast<std::uint8_t>(pixel >> 16);
    p[1] = static_cast<std::uint8_t>(pixel >> 8);
    p[2] = static_cast<std::uint8_t>(pixel);
  }

  // Hands on the even row y.
  void give(std::int32_t y, RowSink& sink) {
    const std::uint8_t* p = rows_.data() + static_cast<std::size_t>(y / 2) * width_ * 3;
    for (std::size_t x = 0; x < width_; ++x, p += 3) out_[x] = std::uint32_t{p[0]} << 16 | std::uint32_t{p[1]} << 8 | p[2];
    sink.row(out_);
  }

 private:
  std::size_t width_;
  std::vector<std::uint8_t> rows_;
  std::vector<std::uint32_t> out_;
};

PngStatus decodeInterlaced(const PngChunks& chunks, ByteSource& file, const PixelConverter& converter,
                           RowSink& sink) {
  const PngInfo& info = chunks.info;
  EvenRows even(info.width, info.height);
  const std::size_t step = std::max(1, converter.bitsPerPixel() / 8);
  std::vector<std::uint8_t> current, above;
  std::vector<std::uint32_t> pixels;
  RowInflater inflater(file, chunks.firstData);
  std::int32_t given = 0;  // rows handed on so far
  for (const Pass& pass : kAdam7) {
    const std::int32_t passWidth = passSide(info.width, pass.x0, pass.dx);
    const std::int32_t passHeight = passSide(info.height, pass.y0, pass.dy);
    if (passWidth == 0 || passHeight == 0) continue;  // an empty pass has no rows, not even filter bytes
    const std::size_t bytes = rowBytes(passWidth, converter.bitsPerPixel());
    current.assign(bytes, 0);
    above.assign(bytes, 0);
    pixels.resize(static_cast<std::size_t>(passWidth));
    const bool last = pass.dy == 2 && pass.y0 == 1;
    for (std::int32_t py = 0; py < passHeight; ++py) {
      if (!nextRow(inflater, current, above, step)) return PngStatus::corrupt;
      converter.convert(current.data(), passWidth, pixels.data());
      const std::int32_t y = pass.y0 + py * pass.dy;
      if (last) {
        even.give(y - 1, sink);
        sink.row(pixels);
        given = y + 1;
      } else {
        for (std::int32_t px = 0; px < passWidth; ++px)
          even.put(pass.x0 + px * pass.dx, y, pixels[static_cast<std::size_t>(px)]);
      }
      current.swap(above);
    }
  }
  // The last row when the height is odd has no odd row after it.
  if (given < info.height) even.give(given, sink);
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
