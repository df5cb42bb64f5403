#include "archivers/core/dos_time.h"

namespace rivano::arc {
namespace {

CivilTime clamp(const CivilTime& t) noexcept {
  if (t.year < 1980) return CivilTime{};
  if (t.year > 2107) return CivilTime{2107, 12, 31, 23, 59, 58};
  return t;
}

}  // namespace

std::uint16_t dosDate(const CivilTime& in) noexcept {
  const CivilTime t = clamp(in);
  return static_cast<std::uint16_t>((t.year - 1980) << 9 | t.month << 5 | t.day);
}

std::uint16_t dosTime(const CivilTime& in) noexcept {
  const CivilTime t = clamp(in);
  return static_cast<std::uint16_t>(t.hour << 11 | t.minute << 5 | t.second / 2);
}

CivilTime civilFromDos(std::uint16_t date, std::uint16_t time) noexcept {
  CivilTime t;
  t.year = 1980 + (date >> 9);
  t.month = (date >> 5) & 0x0F;
  t.day = date & 0x1F;
  t.hour = time >> 11;
  t.minute = (time >> 5) & 0x3F;
  t.second = (time & 0x1F) * 2;
  return t;
}

CivilTime civilFromUnix(std::int64_t seconds) noexcept {
  // Keeps the arithmetic far from overflow for absurd header values.
  constexpr std::int64_t kLimit = std::int64_t{1} << 40;
  if (seconds < -kLimit) seconds = -kLimit;
  if (seconds > kLimit) seconds = kLimit;
  std::int64_t days = seconds / 86400;
  std::int64_t rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  // Days to civil date (proleptic Gregorian), era-based.
  const std::int64_t z = days + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  CivilTime t;
  t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  t.year = static_cast<int>(yoe + era * 400 + (t.month <= 2 ? 1 : 0));
  t.hour = static_cast<int>(rest / 3600);
  t.minute = static_cast<int>(rest / 60 % 60);
  t.second = static_cast<int>(rest % 60);
  return t;
}

}  // namespace rivano::arc
