#include "engine/png/png_chunks.h"

#include <zlib.h>

#include <cstring>

namespace rivano::png {
namespace {

constexpr std::array<std::uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

std::uint32_t be32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

std::uint16_t be16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] << 8 | p[1]); }

struct Chunk {
  std::array<char, 4> type{};
  std::span<const std::uint8_t> data;
  bool is(const char* name) const { return std::memcmp(type.data(), name, 4) == 0; }
  // The case of the first letter says whether a reader may skip it.
  bool critical() const { return (type[0] & 0x20) == 0; }
};

// One chunk at `at`, its CRC checked; `at` moves past it.
PngStatus nextChunk(std::span<const std::uint8_t> file, std::size_t& at, Chunk& chunk) {
  if (file.size() - at < 12) return PngStatus::corrupt;
  const std::uint32_t length = be32(file.data() + at);
  if (length > 0x7FFFFFFFu || length > file.size() - at - 12) return PngStatus::corrupt;
  const std::uint8_t* type = file.data() + at + 4;
  for (int i = 0; i < 4; ++i) {
    const auto c = static_cast<char>(type[i]);
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return PngStatus::corrupt;
    chunk.type[static_cast<std::size_t>(i)] = c;
  }
  const uLong crc = crc32(crc32(0L, Z_NULL, 0), type, static_cast<uInt>(4 + length));
  if (crc != be32(type + 4 + length)) return PngStatus::corrupt;
  chunk.data = file.subspan(at + 8, length);
  at += 12 + std::size_t{length};
  return PngStatus::ok;
}

bool depthAllowed(int colourType, int depth) {
  switch (colourType) {
    case 0: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 2:
    case 4:
    case 6: return depth == 8 || depth == 16;
    default: return false;
  }
}

PngStatus parseHeader(const Chunk& chunk, PngInfo& info) {
  if (!chunk.is("IHDR") || chunk.data.size() != 13) return PngStatus::corrupt;
  const std::uint8_t* d = chunk.data.data();
  const std::uint32_t width = be32(d), height = be32(d + 4);
  if (width == 0 || height == 0 || width > 0x7FFFFFFFu || height > 0x7FFFFFFFu) return PngStatus::corrupt;
  if (!depthAllowed(d[9], d[8])) return PngStatus::corrupt;
  if (d[10] != 0 || d[11] != 0) return PngStatus::unsupported;
  if (d[12] > 1) return PngStatus::unsupported;
  if (width > static_cast<std::uint32_t>(kMaxSide) || height > static_cast<std::uint32_t>(kMaxSide) ||
      std::int64_t{width} * height > kMaxPixels)
    return PngStatus::tooLarge;
  info.width = static_cast<std::int32_t>(width);
  info.height = static_cast<std::int32_t>(height);
  info.bitDepth = d[8];
  info.colourType = d[9];
  info.interlaced = d[12] == 1;
  return PngStatus::ok;
}

PngStatus parsePalette(const Chunk& chunk, PngChunks& chunks) {
  const std::size_t n = chunk.data.size() / 3;
  if (!chunks.palette.empty() || chunk.data.size() % 3 != 0 || n == 0 || n > 256) return PngStatus::corrupt;
  // More entries than the bit depth can index are allowed and unused.
  chunks.palette.resize(n);
  for (std::size_t i = 0; i < n; ++i)
    chunks.palette[i] = {chunk.data[3 * i], chunk.data[3 * i + 1], chunk.data[3 * i + 2], 255};
  return PngStatus::ok;
}

// Transparency the colour type cannot have, or a key of the wrong length,
// is ignored as other readers ignore it: the picture is still whole.
void parseTransparency(const Chunk& chunk, PngChunks& chunks) {
  const std::span<const std::uint8_t> d = chunk.data;
  switch (chunks.info.colourType) {
    case 3:
      for (std::size_t i = 0; i < d.size() && i < chunks.palette.size(); ++i) chunks.palette[i].alpha = d[i];
      break;
    case 0:
      if (d.size() == 2) {
        chunks.hasKey = true;
        chunks.key = {be16(d.data()), 0, 0};
      }
      break;
    case 2:
      if (d.size() == 6) {
        chunks.hasKey = true;
        chunks.key = {be16(d.data()), be16(d.data() + 2), be16(d.data() + 4)};
      }
      break;
    default: break;
  }
}

}  // namespace

bool hasPngSignature(std::span<const std::uint8_t> file) {
  return file.size() >= kSignature.size() && std::memcmp(file.data(), kSignature.data(), kSignature.size()) == 0;
}

PngStatus readHeader(std::span<const std::uint8_t> file, PngInfo& info) {
  if (!hasPngSignature(file)) return PngStatus::notPng;
  std::size_t at = kSignature.size();
  Chunk chunk;
  if (const PngStatus s = nextChunk(file, at, chunk); s != PngStatus::ok) return s;
  return parseHeader(chunk, info);
}

PngStatus readChunks(std::span<const std::uint8_t> file, PngChunks& chunks) {
  if (const PngStatus s = readHeader(file, chunks.info); s != PngStatus::ok) return s;
  std::size_t at = kSignature.size() + 25;
  Chunk chunk;
  bool dataSeen = false, dataEnded = false;
  for (;;) {
    const std::size_t start = at;
    if (const PngStatus s = nextChunk(file, at, chunk); s != PngStatus::ok) return s;
    if (chunk.is("IEND")) break;
    if (chunk.is("IDAT")) {
      if (dataEnded) return PngStatus::corrupt;
      if (!dataSeen) chunks.firstData = start;
      dataSeen = true;
      continue;
    }
    dataEnded = dataSeen;
    if (chunk.is("PLTE")) {
      if (dataSeen) return PngStatus::corrupt;
      if (const PngStatus s = parsePalette(chunk, chunks); s != PngStatus::ok) return s;
    } else if (chunk.is("tRNS")) {
      if (dataSeen) return PngStatus::corrupt;
      parseTransparency(chunk, chunks);
    } else if (chunk.is("IHDR")) {
      return PngStatus::corrupt;
    } else if (chunk.critical()) {
      return PngStatus::unsupported;
    }
  }
  if (!dataSeen) return PngStatus::corrupt;
  if (chunks.info.colourType == 3 && chunks.palette.empty()) return PngStatus::corrupt;
  return PngStatus::ok;
}

std::span<const std::uint8_t> DataChunks::next() {
  while (at_ + 12 <= file_.size() && std::memcmp(file_.data() + at_ + 4, "IDAT", 4) == 0) {
    const std::size_t length = be32(file_.data() + at_);
    const std::size_t start = at_ + 8;
    at_ += 12 + length;
    if (length > 0) return file_.subspan(start, length);
  }
  return {};
}

}  // namespace rivano::png
