// The filtered rows out of the compressed data: the zlib stream inflated a
// row at a time into the caller's buffer, and each row's filter undone
// against the row above it.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "engine/png/png_chunks.h"

namespace rivano::png {

// Bytes per row of `width` pixels with `bitsPerPixel` bits each, without
// the filter byte.
std::size_t rowBytes(std::int32_t width, int bitsPerPixel);

class RowInflater {
 public:
  RowInflater(ByteSource& file, std::uint64_t firstData);
  ~RowInflater();
  RowInflater(const RowInflater&) = delete;
  RowInflater& operator=(const RowInflater&) = delete;

  // Fills `out` completely, or gives false when the stream is damaged or
  // ends first.
  bool read(std::span<std::uint8_t> out);

 private:
  struct Stream;
  std::unique_ptr<Stream> stream_;
  DataChunks chunks_;
  bool ended_ = false;
};

// Undoes the filter named by `filter` on `row`, given the row above it
// (all zero for a pass's first row); `step` is the bytes per whole pixel,
// at least one. False for a filter type that does not exist.
bool unfilterRow(std::uint8_t filter, std::span<std::uint8_t> row, std::span<const std::uint8_t> above,
                 std::size_t step);

}  // namespace rivano::png
