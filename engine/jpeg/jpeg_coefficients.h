// The coefficients of one component for a band of block rows (the whole
// picture, when one band holds it), kept while progressive scans (or
// sequential scans of single components) fill them in. Only those the
// inverse DCT of the chosen size reads are kept; of the others one bit per
// coefficient says whether it is nonzero, which is all that later
// refinement scans depend on. At 1/8 size this keeps a twelfth of what all
// 64 would take.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace rivano::jpeg::detail {

// One block's view, indexed in zigzag order as the scans code it. The
// nonzero bits are kept for every coefficient, so refinement scans find
// the coefficients they refine without looking at each one.
struct CoefficientBlock {
  std::int16_t* values;
  std::uint64_t* nonzero;
  const std::int8_t* slotOf;

  std::int16_t& dc() { return values[0]; }
  bool isNonzero(int k) const { return ((*nonzero >> k) & 1) != 0; }
  void set(int k, int value) {
    *nonzero |= std::uint64_t{1} << k;
    if (slotOf[k] >= 0) values[slotOf[k]] = static_cast<std::int16_t>(value);
  }
  // Makes a nonzero coefficient one `bit` larger in magnitude when `take`
  // (0 or 1) says so. The refinement bits are as good as random, so this
  // goes without branches on them or on the coefficient's sign.
  void refine(int k, int bit, int take) {
    if (slotOf[k] < 0) return;
    std::int16_t& c = values[slotOf[k]];
    const int add = bit & -(take & static_cast<int>((c & bit) == 0));
    const int sign = c < 0 ? -1 : 0;
    c = static_cast<std::int16_t>(c + ((add ^ sign) - sign));
  }
};

class CoefficientStore {
 public:
  // idctSize 8, 4, 2 or 1: the inverse DCT the blocks will go through.
  // Holds `rows` block rows, from row 0 until startBand moves them.
  // Without `refined`, no scan sets or refines coefficients beyond the DC
  // one, so the nonzero bits are not kept.
  void reset(std::int32_t blocksWide, std::int32_t rows, int idctSize, bool refined = true);
  void release();
  // Holds block rows firstRow on, all coefficients zero again.
  void startBand(std::int32_t firstRow);

  // Bytes a block row takes.
  static std::size_t rowBytes(std::int32_t blocksWide, int idctSize, bool refined);

  // by within the rows held.
  CoefficientBlock at(std::int32_t bx, std::int32_t by) {
    const std::size_t index = static_cast<std::size_t>(by - firstRow_) * static_cast<std::size_t>(blocksWide_) +
                              static_cast<std::size_t>(bx);
    return {values_.data() + index * static_cast<std::size_t>(count_), nonzero_.data() + index * nonzeroStep_,
            slotOf_.data()};
  }

  // All 64 coefficients of a block in natural order, zero where not kept;
  // true when those beside the DC one are all zero.
  bool expand(std::int32_t bx, std::int32_t by, std::int16_t* dense);
  // Keeps a block of a sequential scan, given in natural order.
  void store(std::int32_t bx, std::int32_t by, const std::int16_t* dense);

 private:
  std::array<std::int8_t, 64> slotOf_{};      // by zigzag index; -1: not kept
  std::array<std::uint8_t, 64> naturalOf_{};  // by slot
  int count_ = 0;
  std::int32_t blocksWide_ = 0;
  std::int32_t firstRow_ = 0;
  std::size_t nonzeroStep_ = 1;  // 0: every block shares one unused word
  std::vector<std::int16_t> values_;
  std::vector<std::uint64_t> nonzero_;
};

}  // namespace rivano::jpeg::detail
