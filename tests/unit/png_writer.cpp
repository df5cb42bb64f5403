#include "tests/unit/png_writer.h"

#include <zlib.h>

#include <algorithm>
#include <stdexcept>

namespace rivano::testing {
namespace {

void putBe32(Bytes& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

// Deflates whatever `next` fills in, a buffer at a time, until it gives none.
Bytes deflateStream(const std::function<bool(Bytes&)>& next) {
  z_stream z{};
  if (deflateInit(&z, 6) != Z_OK) throw std::runtime_error("deflateInit");
  Bytes out, in, buffer(1 << 16);
  bool more = true;
  while (more) {
    in.clear();
    more = next(in);
    z.next_in = in.data();
    z.avail_in = static_cast<uInt>(in.size());
    const int flush = more ? Z_NO_FLUSH : Z_FINISH;
    int status;
    do {
      z.next_out = buffer.data();
      z.avail_out = static_cast<uInt>(buffer.size());
      status = deflate(&z, flush);
      out.insert(out.end(), buffer.data(), buffer.data() + (buffer.size() - z.avail_out));
    } while (z.avail_out == 0 || (flush == Z_FINISH && status != Z_STREAM_END));
  }
  deflateEnd(&z);
  return out;
}

}  // namespace

Bytes pngChunk(const std::string& type, const Bytes& data) {
  Bytes out;
  putBe32(out, static_cast<std::uint32_t>(data.size()));
  out.insert(out.end(), type.begin(), type.end());
  out.insert(out.end(), data.begin(), data.end());
  const uLong crc = crc32(crc32(0L, Z_NULL, 0), out.data() + 4, static_cast<uInt>(out.size() - 4));
  putBe32(out, static_cast<std::uint32_t>(crc));
  return out;
}

Bytes pngHeader(std::uint32_t width, std::uint32_t height, std::uint8_t depth, std::uint8_t colourType,
                std::uint8_t interlace) {
  Bytes d;
  putBe32(d, width);
  putBe32(d, height);
  d.insert(d.end(), {depth, colourType, 0, 0, interlace});
  return d;
}

Bytes pngFile(const Bytes& header, const Bytes& compressed, std::size_t chunkSize) {
  Bytes out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  auto add = [&](const Bytes& chunk) { out.insert(out.end(), chunk.begin(), chunk.end()); };
  add(pngChunk("IHDR", header));
  for (std::size_t at = 0; at < compressed.size(); at += chunkSize) {
    const std::size_t end = std::min(compressed.size(), at + chunkSize);
    add(pngChunk("IDAT", Bytes(compressed.begin() + static_cast<std::ptrdiff_t>(at),
                               compressed.begin() + static_cast<std::ptrdiff_t>(end))));
  }
  add(pngChunk("IEND", {}));
  return out;
}

Bytes rgbPng(std::uint32_t width, std::uint32_t height,
             const std::function<std::uint32_t(std::uint32_t, std::uint32_t)>& colour, bool interlaced) {
  struct Pass {
    std::uint32_t x0, y0, dx, dy;
  };
  const std::vector<Pass> adam7 = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                   {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
  const std::vector<Pass> passes = interlaced ? adam7 : std::vector<Pass>{{0, 0, 1, 1}};
  std::size_t pass = 0;
  std::uint32_t y = passes[0].y0;
  const Bytes compressed = deflateStream([&](Bytes& row) {
    // The next pass with pixels in it, each of its rows in turn.
    while (pass < passes.size() && (y >= height || passes[pass].x0 >= width)) {
      if (++pass < passes.size()) y = passes[pass].y0;
    }
    if (pass == passes.size()) return false;
    const Pass& p = passes[pass];
    row.push_back(0);
    for (std::uint32_t x = p.x0; x < width; x += p.dx) {
      const std::uint32_t c = colour(x, y);
      row.insert(row.end(), {static_cast<std::uint8_t>(c >> 16), static_cast<std::uint8_t>(c >> 8),
                             static_cast<std::uint8_t>(c)});
    }
    y += p.dy;
    return true;
  });
  return pngFile(pngHeader(width, height, 8, 2, interlaced ? 1 : 0), compressed);
}

Bytes deflatedZeros(std::size_t size) {
  std::size_t left = size;
  return deflateStream([&](Bytes& block) {
    const std::size_t n = std::min<std::size_t>(left, 1 << 20);
    block.assign(n, 0);
    left -= n;
    return left > 0;
  });
}

}  // namespace rivano::testing
