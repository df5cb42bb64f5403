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

// Rows of MCUs of a scan: of blocks, in a scan of one component alone.
std::int32_t scanRows(const Frame& f, const ScanHeader& scan);

// Whether a progressive scan may follow those before it, with the tables
// now in force.
JpegStatus checkProgressiveScan(Stream& s, const ScanHeader& scan);

// Where the decoding of a progressive scan stands, so that it can go on
// from there after other scans have been decoded as far.
struct ScanProgress {
  ScanProgress(const Stream& s, std::size_t start)
      : reader(s.file.data(), s.file.size(), start), untilRestart(s.restartInterval) {}
  BitReader reader;
  std::int32_t row = 0;  // the next row of MCUs (see scanRows)
  int untilRestart;
  int nextRestart = 0;
  std::array<int, 4> predictions{};
  int eobRun = 0;  // blocks left of the run of end-of-band codes
};

// Refines the coefficients of the scan's rows from progress.row up to
// endRow, which the stores (one per component) hold. Once the last row is
// in, checks that the scan had all the data it took.
JpegStatus decodeProgressiveRows(const Stream& s, const ScanHeader& scan, ScanProgress& progress, std::int32_t endRow,
                                 std::vector<CoefficientStore>& coefficients);

}  // namespace rivano::jpeg::detail
