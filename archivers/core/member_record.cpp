#include "archivers/core/member_record.h"

#include <algorithm>
#include <cstring>

namespace rivano::arc {
namespace {

std::uint32_t clamp32(std::uint64_t v) noexcept {
  return v > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(v);
}

void copyText(char* dest, std::size_t capacity, std::string_view text) noexcept {
  const std::size_t n = std::min(text.size(), capacity - 1);
  std::memcpy(dest, text.data(), n);
  dest[n] = '\0';
}

}  // namespace

std::string attributeText(std::uint8_t dosAttributes, bool isFolder) {
  std::string text = "----";
  if (dosAttributes & 0x01) text[0] = 'R';
  if (dosAttributes & 0x02) text[1] = 'H';
  if (dosAttributes & 0x04) text[2] = 'S';
  if (dosAttributes & 0x20) text[3] = 'A';
  if (isFolder || (dosAttributes & 0x10)) text += 'D';
  return text;
}

void fillMemberInfo(const MemberEntry& entry, std::string_view name, MemberInfo& info) noexcept {
  std::memset(&info, 0, sizeof info);
  info.originalSize = clamp32(entry.size);
  info.compressedSize = clamp32(entry.packedSize);
  info.crc = entry.crc;
  if (entry.size > 0) {
    const std::uint64_t perMille = entry.packedSize >= entry.size
                                       ? 1000
                                       : entry.packedSize * 1000 / entry.size;
    info.ratio = static_cast<std::uint16_t>(perMille);
  }
  info.date = entry.dosDate;
  info.time = entry.dosTime;
  copyText(info.fileName, sizeof info.fileName, name);
  try {
    copyText(info.attribute, sizeof info.attribute, attributeText(entry.dosAttributes, entry.isFolder));
  } catch (...) {
    copyText(info.attribute, sizeof info.attribute, "----");
  }
  copyText(info.method, sizeof info.method, entry.method);
}

}  // namespace rivano::arc
