#include "engine/png/png_rows.h"

#include <zlib.h>

#include <cstdlib>
#include <new>

namespace rivano::png {

struct RowInflater::Stream {
  z_stream z{};
  bool open = false;
  ~Stream() {
    if (open) inflateEnd(&z);
  }
};

std::size_t rowBytes(std::int32_t width, int bitsPerPixel) {
  return (static_cast<std::size_t>(width) * static_cast<std::size_t>(bitsPerPixel) + 7) / 8;
}

RowInflater::RowInflater(ByteSource& file, std::uint64_t firstData)
    : stream_(std::make_unique<Stream>()), chunks_(file, firstData) {
  if (inflateInit(&stream_->z) != Z_OK) throw std::bad_alloc();
  stream_->open = true;
}

RowInflater::~RowInflater() = default;

bool RowInflater::read(std::span<std::uint8_t> out) {
  z_stream& z = stream_->z;
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  while (z.avail_out > 0) {
    if (ended_) return false;
    if (z.avail_in == 0) {
      const std::span<const std::uint8_t> data = chunks_.next();
      if (data.empty()) return false;  // the data ends before the picture
      // A block is far smaller than uInt holds.
      z.next_in = const_cast<Bytef*>(data.data());
      z.avail_in = static_cast<uInt>(data.size());
    }
    const int status = inflate(&z, Z_NO_FLUSH);
    if (status == Z_STREAM_END) {
      ended_ = true;
      return z.avail_out == 0;
    }
    if (status != Z_OK && status != Z_BUF_ERROR) return false;
  }
  return true;
}

namespace {

std::uint8_t paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return static_cast<std::uint8_t>(a);
  return static_cast<std::uint8_t>(pb <= pc ? b : c);
}

}  // namespace

bool unfilterRow(std::uint8_t filter, std::span<std::uint8_t> row, std::span<const std::uint8_t> above,
                 std::size_t step) {
  const std::size_t n = row.size();
  std::uint8_t* r = row.data();
  const std::uint8_t* up = above.data();
  switch (filter) {
    case 0: return true;
    case 1:
      for (std::size_t i = step; i < n; ++i) r[i] = static_cast<std::uint8_t>(r[i] + r[i - step]);
      return true;
    case 2:
      for (std::size_t i = 0; i < n; ++i) r[i] = static_cast<std::uint8_t>(r[i] + up[i]);
      return true;
    case 3:
      for (std::size_t i = 0; i < n; ++i) {
        const int left = i >= step ? r[i - step] : 0;
        r[i] = static_cast<std::uint8_t>(r[i] + ((left + up[i]) >> 1));
      }
      return true;
    case 4:
      for (std::size_t i = 0; i < n; ++i) {
        const int left = i >= step ? r[i - step] : 0;
        const int upLeft = i >= step ? up[i - step] : 0;
        r[i] = static_cast<std::uint8_t>(r[i] + paeth(left, up[i], upLeft));
      }
      return true;
    default: return false;
  }
}

}  // namespace rivano::png
