#include "archivers/core/unix_entry.h"

namespace rivano::arc {

UnixFileType unixFileType(std::uint32_t mode) noexcept {
  switch (mode & 0170000) {
    case 0100000: return UnixFileType::regular;
    case 0040000: return UnixFileType::folder;
    case 0120000: return UnixFileType::symlink;
    case 0010000:  // FIFO
    case 0020000:  // character device
    case 0060000:  // block device
    case 0140000:  // socket
      return UnixFileType::other;
    default: return UnixFileType::unknown;
  }
}

std::uint8_t dosAttributesFromUnixMode(std::uint32_t mode, bool isFolder) noexcept {
  std::uint8_t attributes = isFolder ? 0x10 : 0x20;
  if ((mode & 0777) != 0 && (mode & 0200) == 0) attributes |= 0x01;
  return attributes;
}

void LinkSet::add(std::string_view link) {
  while (!link.empty() && link.back() == '/') link.remove_suffix(1);
  byLength_[link.size()].emplace(link);
}

bool LinkSet::covers(std::string_view name) const {
  if (byLength_.empty()) return false;
  for (std::size_t slash = name.find('/'); slash != std::string_view::npos; slash = name.find('/', slash + 1)) {
    const auto sameLength = byLength_.find(slash);
    if (sameLength != byLength_.end() && sameLength->second.count(name.substr(0, slash)) != 0) return true;
  }
  return false;
}

}  // namespace rivano::arc
