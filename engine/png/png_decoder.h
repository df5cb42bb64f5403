// Our PNG decoder: every colour type (grey, RGB, palette, grey with alpha,
// RGBA) at every bit depth the format allows (1, 2, 4, 8, 16), palettes and
// colour keys made transparent by tRNS, and Adam7 interlacing. Transparent
// and partly transparent pixels come out drawn over a background colour the
// caller gives, since a wallpaper bitmap has no alpha of its own.
//
// Every chunk's CRC is checked and a mismatch is damage, as is a file cut
// short anywhere before IEND. Declared sizes beyond the limits below are
// refused before anything is allocated, and the compressed data is only
// ever inflated into rows of the declared size, so a stream that inflates
// to far more than the header promised costs no memory.
//
// Rows are made one at a time, top row first, and handed on at once, so a
// caller shrinking them as they come never holds the full-size picture.
// An interlaced picture is read with an inflater for each of its passes,
// each where its pass stands in the stream, to make its rows in that order
// too.
#pragma once

#include <cstdint>
#include <span>

#include "engine/pixel_image.h"

namespace rivano::png {

class ByteSource;

enum class PngStatus {
  ok,
  notPng,       // no PNG signature: some other kind of picture
  unsupported,  // an unknown critical chunk, compression or filter method
  corrupt,      // damaged (a bad CRC, data that does not inflate) or truncated
  tooLarge,     // declared size beyond the limits below
};

// The same limits as our JPEG decoder's.
inline constexpr std::int32_t kMaxSide = 32768;
inline constexpr std::int64_t kMaxPixels = std::int64_t{1} << 28;

struct PngInfo {
  std::int32_t width = 0;
  std::int32_t height = 0;
  int bitDepth = 0;
  int colourType = 0;
  bool interlaced = false;
};

// Receives the picture a row at a time, top row first, `width` pixels of
// 0x00RRGGBB each; the row is valid only during the call.
class RowSink {
 public:
  virtual ~RowSink() = default;
  virtual void row(std::span<const std::uint32_t> pixels) = 0;
};

bool hasPngSignature(std::span<const std::uint8_t> file);

// Reads and checks the header chunk alone.
PngStatus readPngInfo(ByteSource& file, PngInfo& info);
PngStatus readPngInfo(std::span<const std::uint8_t> file, PngInfo& info);

// Checks every chunk, then decodes; `background` is 0x00RRGGBB. A sink that
// throws stops the decode and the exception goes on to the caller. Rows
// already given stay given when the data turns out damaged part way. The
// file is read twice, a block at a time: once to check, once to decode.
PngStatus decodePngRows(ByteSource& file, std::uint32_t background, RowSink& sink);
PngStatus decodePngRows(std::span<const std::uint8_t> file, std::uint32_t background, RowSink& sink);

// The whole picture at its own size.
PngStatus decodePng(ByteSource& file, std::uint32_t background, PixelImage& image);
PngStatus decodePng(std::span<const std::uint8_t> file, std::uint32_t background, PixelImage& image);

}  // namespace rivano::png
