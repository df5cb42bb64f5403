// The most bytes held through operator new at once since the last reset.
#pragma once

#include <cstddef>

namespace rivano::testing {
std::size_t peakHeldBytes();
void resetPeakHeldBytes();
}  // namespace rivano::testing
