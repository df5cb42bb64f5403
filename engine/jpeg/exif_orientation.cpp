#include "engine/jpeg/exif_orientation.h"

#include <array>
#include <cstring>

namespace rivano::jpeg {
namespace {

constexpr int kAsStored = 1;
constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kShortType = 3;

// Reads 16- and 32-bit numbers in the byte order the TIFF header names,
// every read checked against the end of the structure.
class TiffReader {
 public:
  TiffReader(std::span<const std::uint8_t> bytes, bool bigEndian) : bytes_(bytes), bigEndian_(bigEndian) {}

  bool u16(std::size_t at, std::uint16_t& value) const {
    if (at > bytes_.size() || bytes_.size() - at < 2) return false;
    const std::uint8_t* p = bytes_.data() + at;
    value = static_cast<std::uint16_t>(bigEndian_ ? (p[0] << 8) | p[1] : (p[1] << 8) | p[0]);
    return true;
  }
  bool u32(std::size_t at, std::uint32_t& value) const {
    if (at > bytes_.size() || bytes_.size() - at < 4) return false;
    const std::uint8_t* p = bytes_.data() + at;
    value = bigEndian_ ? (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3]
                       : (std::uint32_t{p[3]} << 24) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
    return true;
  }

 private:
  std::span<const std::uint8_t> bytes_;
  bool bigEndian_;
};

}  // namespace

int exifOrientation(std::span<const std::uint8_t> tiff) {
  if (tiff.size() < 8) return kAsStored;
  bool bigEndian;
  if (tiff[0] == 'I' && tiff[1] == 'I') {
    bigEndian = false;
  } else if (tiff[0] == 'M' && tiff[1] == 'M') {
    bigEndian = true;
  } else {
    return kAsStored;
  }
  const TiffReader r(tiff, bigEndian);
  std::uint16_t magic = 0;
  std::uint32_t directory = 0;
  std::uint16_t entries = 0;
  if (!r.u16(2, magic) || magic != 42 || !r.u32(4, directory) || !r.u16(directory, entries)) return kAsStored;
  // Twelve bytes an entry; a count beyond the structure is damage, and the
  // reads below stop at its end whatever the count says.
  for (std::uint32_t i = 0; i < entries; ++i) {
    const std::size_t entry = std::size_t{directory} + 2 + std::size_t{i} * 12;
    std::uint16_t tag = 0;
    std::uint16_t type = 0;
    std::uint32_t count = 0;
    std::uint16_t value = 0;
    if (!r.u16(entry, tag) || !r.u16(entry + 2, type) || !r.u32(entry + 4, count)) return kAsStored;
    if (tag != kOrientationTag) continue;
    if (type != kShortType || count != 1 || !r.u16(entry + 8, value)) return kAsStored;
    return value >= 1 && value <= 8 ? value : kAsStored;
  }
  return kAsStored;
}

int jpegOrientation(std::span<const std::uint8_t> file) {
  static constexpr std::array<std::uint8_t, 6> kExifName = {'E', 'x', 'i', 'f', 0, 0};
  if (file.size() < 4 || file[0] != 0xFF || file[1] != 0xD8) return kAsStored;
  std::size_t at = 2;
  // Marker segments up to the first scan; the EXIF segment comes first in
  // practice, but a JFIF segment or others may stand before it.
  while (file.size() - at >= 4) {
    if (file[at] != 0xFF) return kAsStored;
    const std::uint8_t marker = file[at + 1];
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    if (marker == 0xDA || marker == 0xD9) return kAsStored;  // scan or end: no EXIF before the pixels
    const std::size_t length = (std::size_t{file[at + 2]} << 8) | file[at + 3];
    if (length < 2 || file.size() - at - 2 < length) return kAsStored;
    const std::span<const std::uint8_t> payload = file.subspan(at + 4, length - 2);
    if (marker == 0xE1 && payload.size() >= kExifName.size() &&
        std::memcmp(payload.data(), kExifName.data(), kExifName.size()) == 0)
      return exifOrientation(payload.subspan(kExifName.size()));
    at += 2 + length;
  }
  return kAsStored;
}

}  // namespace rivano::jpeg
