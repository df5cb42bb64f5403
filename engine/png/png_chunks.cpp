#include "engine/png/png_chunks.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace rivano::png {
namespace {

constexpr std::array<std::uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
// Chunks are checked and data read in blocks of this many bytes.
constexpr std::size_t kBlock = 64 * 1024;
// The chunks whose data the decoder uses are never longer (a palette of
// 256 entries is 768 bytes); longer ones are checked but not kept.
constexpr std::uint32_t kLongestKept = 1024;

std::uint32_t be32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

std::uint16_t be16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] << 8 | p[1]); }

struct Chunk {
  std::array<char, 4> type{};
  std::uint32_t length = 0;
  std::vector<std::uint8_t> data;  // only for chunks of kLongestKept bytes or fewer
  bool is(const char* name) const { return std::memcmp(type.data(), name, 4) == 0; }
  // The case of the first letter says whether a reader may skip it.
  bool critical() const { return (type[0] & 0x20) == 0; }
};

// One chunk at `at`, its CRC checked; `at` moves past it.
PngStatus nextChunk(ByteSource& file, std::uint64_t& at, Chunk& chunk, std::vector<std::uint8_t>& block) {
  const std::uint64_t size = file.size();
  std::uint8_t head[8];
  if (at > size || size - at < 12 || !file.read(at, head)) return PngStatus::corrupt;
  chunk.length = be32(head);
  if (chunk.length > 0x7FFFFFFFu || chunk.length > size - at - 12) return PngStatus::corrupt;
  for (std::size_t i = 0; i < 4; ++i) {
    const auto c = static_cast<char>(head[4 + i]);
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return PngStatus::corrupt;
    chunk.type[i] = c;
  }
  uLong crc = crc32(crc32(0L, Z_NULL, 0), head + 4, 4);
  chunk.data.clear();
  block.resize(kBlock);
  for (std::uint64_t done = 0; done < chunk.length;) {
    const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(kBlock, chunk.length - done));
    if (!file.read(at + 8 + done, std::span(block).first(n))) return PngStatus::corrupt;
    crc = crc32(crc, block.data(), static_cast<uInt>(n));
    if (chunk.length <= kLongestKept)
      chunk.data.insert(chunk.data.end(), block.begin(), block.begin() + static_cast<std::ptrdiff_t>(n));
    done += n;
  }
  std::uint8_t stored[4];
  if (!file.read(at + 8 + chunk.length, stored) || crc != be32(stored)) return PngStatus::corrupt;
  at += 12 + std::uint64_t{chunk.length};
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
  if (!chunk.is("IHDR") || chunk.length != 13) return PngStatus::corrupt;
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
  const std::size_t n = chunk.length / 3;
  if (!chunks.palette.empty() || chunk.length % 3 != 0 || n == 0 || n > 256) return PngStatus::corrupt;
  // More entries than the bit depth can index are allowed and unused.
  chunks.palette.resize(n);
  for (std::size_t i = 0; i < n; ++i)
    chunks.palette[i] = {chunk.data[3 * i], chunk.data[3 * i + 1], chunk.data[3 * i + 2], 255};
  return PngStatus::ok;
}

// Transparency the colour type cannot have, or a key of the wrong length,
// is ignored as other readers ignore it: the picture is still whole.
void parseTransparency(const Chunk& chunk, PngChunks& chunks) {
  const std::vector<std::uint8_t>& d = chunk.data;
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

PngStatus readHeader(ByteSource& file, PngInfo& info) {
  std::array<std::uint8_t, 8> signature{};
  if (!file.read(0, signature) || signature != kSignature) return PngStatus::notPng;
  std::uint64_t at = kSignature.size();
  Chunk chunk;
  std::vector<std::uint8_t> block;
  if (const PngStatus s = nextChunk(file, at, chunk, block); s != PngStatus::ok) return s;
  return parseHeader(chunk, info);
}

PngStatus readChunks(ByteSource& file, PngChunks& chunks) {
  if (const PngStatus s = readHeader(file, chunks.info); s != PngStatus::ok) return s;
  std::uint64_t at = kSignature.size() + 25;
  Chunk chunk;
  std::vector<std::uint8_t> block;
  bool dataSeen = false, dataEnded = false;
  for (;;) {
    const std::uint64_t start = at;
    if (const PngStatus s = nextChunk(file, at, chunk, block); s != PngStatus::ok) return s;
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

DataChunks::DataChunks(ByteSource& file, std::uint64_t first) : file_(file), at_(first) {}

std::span<const std::uint8_t> DataChunks::next() {
  while (leftInChunk_ == 0) {
    std::uint8_t head[8];
    if (!file_.read(at_, head) || std::memcmp(head + 4, "IDAT", 4) != 0) return {};
    leftInChunk_ = be32(head);
    at_ += 8;
    if (leftInChunk_ == 0) at_ += 4;  // an empty chunk: on past its CRC
  }
  const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(kBlock, leftInChunk_));
  block_.resize(n);
  if (!file_.read(at_, block_)) return {};
  at_ += n;
  leftInChunk_ -= n;
  if (leftInChunk_ == 0) at_ += 4;  // the CRC, checked already
  return block_;
}

}  // namespace rivano::png
