// The state a JPEG stream builds up as its markers are read: frame
// geometry, tables, and the header of the scan about to be decoded.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "engine/jpeg/jpeg_decoder.h"
#include "engine/jpeg/jpeg_huffman.h"

namespace rivano::jpeg::detail {

struct Component {
  int id = 0;
  int h = 1;
  int v = 1;
  int quantIndex = 0;
  // The block grid, padded to whole MCUs, and the blocks that hold samples
  // (all a scan of this component alone covers).
  std::int32_t blocksWide = 0;
  std::int32_t blocksHigh = 0;
  std::int32_t usedBlocksWide = 0;
  std::int32_t usedBlocksHigh = 0;
  // Taken from the table in force at the component's first scan.
  std::array<std::uint16_t, 64> quant{};
  bool quantTaken = false;
  bool seenInScan = false;
  bool dcStarted = false;  // a progressive first DC scan has covered it
};

struct Frame {
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool progressive = false;
  int maxH = 1;
  int maxV = 1;
  std::int32_t mcusWide = 0;
  std::int32_t mcusHigh = 0;
  std::vector<Component> components;
};

struct ScanHeader {
  int count = 0;
  std::array<int, 4> component{};  // indices into Frame::components
  std::array<int, 4> dcTable{};
  std::array<int, 4> acTable{};
  int ss = 0;
  int se = 63;
  int ah = 0;
  int al = 0;
};

struct Stream {
  std::span<const std::uint8_t> file;
  std::size_t pos = 0;
  std::array<std::array<std::uint16_t, 64>, 4> quant{};  // natural order
  std::array<bool, 4> quantDefined{};
  std::array<HuffmanTable, 4> dc{};
  std::array<HuffmanTable, 4> ac{};
  int restartInterval = 0;
  int adobeTransform = -1;  // -1: no Adobe marker
  bool jfif = false;
  bool frameSeen = false;
  Frame frame;
};

enum class Segment { scan, endMarker, endOfData };

// Checks the SOI marker and sets pos after it.
JpegStatus startStream(Stream& s);

// Reads markers from s.pos up to a scan header (then s.pos is at its
// entropy-coded data), to EOI, or to the end of the data.
JpegStatus readSegments(Stream& s, ScanHeader& scan, Segment& what);

// Moves s.pos to the next marker that is not a restart marker.
void skipToMarker(Stream& s);

extern const std::array<std::uint8_t, 64> kZigzag;  // zigzag index -> natural index

}  // namespace rivano::jpeg::detail
