// Small PNGs written in the tests themselves, for the cases an encoder
// would never write: damaged chunks, lying headers, streams that inflate to
// far more than the picture. Eight-bit RGB rows, filter type 0.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace rivano::testing {

using Bytes = std::vector<std::uint8_t>;

// A chunk with its length and CRC.
Bytes pngChunk(const std::string& type, const Bytes& data);
// IHDR's data.
Bytes pngHeader(std::uint32_t width, std::uint32_t height, std::uint8_t depth, std::uint8_t colourType,
                std::uint8_t interlace = 0);
// The signature, IHDR, the given IDAT data in chunks of at most
// `chunkSize` bytes, IEND.
Bytes pngFile(const Bytes& header, const Bytes& compressed, std::size_t chunkSize = 65536);
// An RGB picture of width × height whose pixel (x, y) is colour(x, y)
// (0x00RRGGBB), compressed row by row so that a large one is never whole
// in memory uncompressed; Adam7-interlaced when asked.
Bytes rgbPng(std::uint32_t width, std::uint32_t height,
             const std::function<std::uint32_t(std::uint32_t, std::uint32_t)>& colour, bool interlaced = false);
// `size` bytes of zeros deflated.
Bytes deflatedZeros(std::size_t size);

}  // namespace rivano::testing
