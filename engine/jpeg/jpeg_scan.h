// Entropy decoding of one scan, sequential or progressive.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "engine/jpeg/jpeg_coefficients.h"
#include "engine/jpeg/jpeg_stream.h"

namespace rivano::jpeg::detail {

// Takes each block of a sequential scan as it is decoded: quantised
// coefficients in natural order, zero beyond what the scan coded.
// dcOnly: every AC coefficient of the block is zero.
class BlockSink {
 public:
  virtual void block(int component, std::int32_t bx, std::int32_t by, const std::int16_t* coefficients, bool dcOnly) = 0;
  // Every block of MCU row `row` (of block row, in a scan of one component) is in.
  virtual void rowDone(std::int32_t row) = 0;

 protected:
  ~BlockSink() = default;
};

// dcOnly[c]: component c needs only its DC coefficient (the AC codes are
// still read past). Leaves s.pos at the marker after the scan.
JpegStatus decodeSequentialScan(Stream& s, const ScanHeader& scan, const std::array<bool, 4>& dcOnly,
                                BlockSink& sink);

// Refines the whole-picture coefficients, one store per component.
JpegStatus decodeProgressiveScan(Stream& s, const ScanHeader& scan, std::vector<CoefficientStore>& coefficients);

}  // namespace rivano::jpeg::detail
