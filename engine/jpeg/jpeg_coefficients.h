// The coefficients of one component for the whole picture, kept while
// progressive scans (or sequential scans of single components) fill them
// in. Only those the inverse DCT of the chosen size reads are kept; of the
// others one bit per coefficient says whether it is nonzero, which is all
// that later refinement scans depend on. At 1/8 size this keeps a tenth of
// what all 64 would take.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace rivano::jpeg::detail {

// One block's view; n is a natural-order index.
struct CoefficientBlock {
  std::int16_t* values;
  std::uint64_t* nonzero;  // null: values holds all 64
  const std::int8_t* slotOf;

  std::int16_t& dc() { return values[0]; }
  bool isNonzero(int n) const { return nonzero ? ((*nonzero >> n) & 1) != 0 : values[n] != 0; }
  void set(int n, int value) {
    if (nonzero == nullptr) {
      values[n] = static_cast<std::int16_t>(value);
      return;
    }
    *nonzero |= std::uint64_t{1} << n;
    if (slotOf[n] >= 0) values[slotOf[n]] = static_cast<std::int16_t>(value);
  }
  // Makes a nonzero coefficient one `bit` larger in magnitude.
  void refine(int n, int bit) {
    std::int16_t* c = nonzero == nullptr ? &values[n] : slotOf[n] >= 0 ? &values[slotOf[n]] : nullptr;
    if (c != nullptr && (*c & bit) == 0) *c = static_cast<std::int16_t>(*c >= 0 ? *c + bit : *c - bit);
  }
};

class CoefficientStore {
 public:
  // idctSize 8, 4, 2 or 1: the inverse DCT the blocks will go through.
  void reset(std::int32_t blocksWide, std::int32_t blocksHigh, int idctSize);
  void release();

  CoefficientBlock at(std::int32_t bx, std::int32_t by) {
    const std::size_t index = static_cast<std::size_t>(by) * static_cast<std::size_t>(blocksWide_) +
                              static_cast<std::size_t>(bx);
    return {values_.data() + index * static_cast<std::size_t>(count_),
            nonzero_.empty() ? nullptr : nonzero_.data() + index, slotOf_.data()};
  }

  // All 64 coefficients of a block in natural order, zero where not kept.
  void expand(std::int32_t bx, std::int32_t by, std::int16_t* dense);
  // Keeps a block of a sequential scan, given in natural order.
  void store(std::int32_t bx, std::int32_t by, const std::int16_t* dense);

 private:
  std::array<std::int8_t, 64> slotOf_{};
  std::array<std::uint8_t, 64> naturalOf_{};
  int count_ = 0;
  std::int32_t blocksWide_ = 0;
  std::vector<std::int16_t> values_;
  std::vector<std::uint64_t> nonzero_;
};

}  // namespace rivano::jpeg::detail
