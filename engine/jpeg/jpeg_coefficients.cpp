#include "engine/jpeg/jpeg_coefficients.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "engine/jpeg/jpeg_stream.h"

namespace rivano::jpeg::detail {
namespace {

// Whether the inverse DCT of this size reads frequency u (row or column).
bool used(int size, int u) {
  switch (size) {
    case 8: return true;
    case 4: return u != 4;
    case 2: return u == 0 || u % 2 == 1;
    default: return u == 0;
  }
}

int keptCount(int size) {
  int count = 0;
  for (int u = 0; u < 8; ++u) count += used(size, u) ? 1 : 0;
  return count * count;
}

}  // namespace

std::size_t CoefficientStore::rowBytes(std::int32_t blocksWide, int idctSize, bool refined) {
  const std::size_t block = static_cast<std::size_t>(keptCount(idctSize)) * sizeof(std::int16_t) +
                            (refined ? sizeof(std::uint64_t) : 0);
  return static_cast<std::size_t>(blocksWide) * block;
}

void CoefficientStore::reset(std::int32_t blocksWide, std::int32_t rows, int idctSize, bool refined) {
  count_ = 0;
  // Slots in natural order: with all 64 kept, a block expands by a copy.
  std::array<std::uint8_t, 64> zigzagOf{};
  for (std::size_t k = 0; k < 64; ++k) zigzagOf[kZigzag[k]] = static_cast<std::uint8_t>(k);
  slotOf_.fill(-1);
  for (int n = 0; n < 64; ++n) {
    if (!used(idctSize, n / 8) || !used(idctSize, n % 8)) continue;
    slotOf_[zigzagOf[static_cast<std::size_t>(n)]] = static_cast<std::int8_t>(count_);
    naturalOf_[static_cast<std::size_t>(count_++)] = static_cast<std::uint8_t>(n);
  }
  blocksWide_ = blocksWide;
  firstRow_ = 0;
  const std::size_t blocks = static_cast<std::size_t>(blocksWide) * static_cast<std::size_t>(rows);
  values_.assign(blocks * static_cast<std::size_t>(count_), 0);
  nonzeroStep_ = refined ? 1 : 0;
  nonzero_.assign(refined ? blocks : 1, 0);
}

void CoefficientStore::startBand(std::int32_t firstRow) {
  firstRow_ = firstRow;
  std::fill(values_.begin(), values_.end(), std::int16_t{0});
  std::fill(nonzero_.begin(), nonzero_.end(), std::uint64_t{0});
}

void CoefficientStore::release() {
  std::vector<std::int16_t>().swap(values_);
  std::vector<std::uint64_t>().swap(nonzero_);
}

bool CoefficientStore::expand(std::int32_t bx, std::int32_t by, std::int16_t* dense) {
  const CoefficientBlock block = at(bx, by);
  if (count_ == 64) {
    std::memcpy(dense, block.values, 64 * sizeof(std::int16_t));
    int ac = 0;
    for (int s = 1; s < 64; ++s) ac |= dense[s];
    return ac == 0;
  }
  std::memset(dense, 0, 64 * sizeof(std::int16_t));
  int ac = 0;
  for (int s = 0; s < count_; ++s) {
    const std::int16_t v = block.values[s];
    dense[naturalOf_[static_cast<std::size_t>(s)]] = v;
    ac |= s > 0 ? v : 0;
  }
  return ac == 0;
}

void CoefficientStore::store(std::int32_t bx, std::int32_t by, const std::int16_t* dense) {
  // Sequential scans are never refined, so only the kept values matter.
  const CoefficientBlock block = at(bx, by);
  for (int s = 0; s < count_; ++s) block.values[s] = dense[naturalOf_[static_cast<std::size_t>(s)]];
}

}  // namespace rivano::jpeg::detail
