// LZH archives: header levels 0 to 3, methods -lh0-, -lz4- (stored),
// -lh4- to -lh7-, and -lhd- folder entries.
#pragma once

#include <cstdint>
#include <memory>

#include "archivers/core/archive_format.h"

namespace rivano::arc {

// notThisFormat unless an LZH header starts the data or follows a
// self-extractor stub within its first 64 KiB.
std::unique_ptr<ArchiveReader> openLzh(ByteSpan data, const Limits& limits, Result& result);

namespace lzh {
// CRC-16 with the reflected polynomial 0xA001, initial value 0.
std::uint16_t crc16(std::uint16_t crc, const std::uint8_t* p, std::size_t n);
// Seconds since 1970 (UTC) to MS-DOS date and time, clamped to 1980-2107.
void unixToDos(std::int64_t seconds, std::uint16_t& date, std::uint16_t& time);
}  // namespace lzh

}  // namespace rivano::arc
