// Floating point to integer the way the program's arithmetic is defined:
// nearest integer with halves to the even neighbour, range-checked.
#pragma once

#include <cstdint>

namespace rivano {

std::int32_t roundToInt32(double value);  // throws RunError 6 out of range
std::int16_t roundToInt16(double value);  // throws RunError 6 out of range
// The next integer below or equal, range-checked to 32 bits.
std::int32_t floorToInt32(double value);  // throws RunError 6 out of range
// Single precision as a stored value: round to float, then back.
inline double asSingle(double value) { return static_cast<double>(static_cast<float>(value)); }

}  // namespace rivano
