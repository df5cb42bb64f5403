// CRC-32 as ZIP, gzip and ARJ use it (reflected polynomial 0xEDB88320).
#pragma once

#include <cstddef>
#include <cstdint>

namespace rivano::arc {

// Continues a CRC: start with 0, feed the pieces in order.
std::uint32_t crc32Update(std::uint32_t crc, const std::uint8_t* data, std::size_t size) noexcept;

class Crc32 {
 public:
  void update(const std::uint8_t* data, std::size_t size) noexcept { value_ = crc32Update(value_, data, size); }
  std::uint32_t value() const noexcept { return value_; }

 private:
  std::uint32_t value_ = 0;
};

}  // namespace rivano::arc
