#include "common/rounding.h"

#include <cmath>
#include <limits>

#include "common/run_error.h"

namespace rivano {
namespace {

double roundHalfEven(double value) {
  if (!std::isfinite(value)) throw RunError(err::overflow);
  // nearbyint honours the default rounding mode, which is to-nearest-even.
  return std::nearbyint(value);
}

template <typename T>
T checked(double whole) {
  if (whole < static_cast<double>(std::numeric_limits<T>::min()) ||
      whole > static_cast<double>(std::numeric_limits<T>::max()))
    throw RunError(err::overflow);
  return static_cast<T>(whole);
}

}  // namespace

std::int32_t roundToInt32(double value) { return checked<std::int32_t>(roundHalfEven(value)); }
std::int16_t roundToInt16(double value) { return checked<std::int16_t>(roundHalfEven(value)); }

std::int32_t floorToInt32(double value) {
  if (!std::isfinite(value)) throw RunError(err::overflow);
  return checked<std::int32_t>(std::floor(value));
}

}  // namespace rivano
