// MS-DOS date and time words, as the member record carries them.
#pragma once

#include <cstdint>

namespace rivano::arc {

struct CivilTime {
  int year = 1980, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

// Date: bits 0-4 day, 5-8 month, 9-15 years since 1980. Time: bits 0-4
// seconds/2, 5-10 minutes, 11-15 hours. Times outside 1980-2107 are clamped
// to the nearest end, so a file from 1970 still gets a valid date.
std::uint16_t dosDate(const CivilTime& t) noexcept;
std::uint16_t dosTime(const CivilTime& t) noexcept;
CivilTime civilFromDos(std::uint16_t date, std::uint16_t time) noexcept;

// Seconds since 1970-01-01 UTC to calendar time (tar and pax keep UTC).
CivilTime civilFromUnix(std::int64_t seconds) noexcept;

}  // namespace rivano::arc
