// What archives written on Unix say about a member: the file type and
// permissions of its mode (st_mode), and symbolic links, which the readers
// never hand out (the libraries make no links, and writing a member
// "through" one would put it wherever the link points).
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>

namespace rivano::arc {

enum class UnixFileType { unknown, regular, folder, symlink, other };

// The type bits of a mode; `unknown` for a mode holding permissions only (as
// tar headers do) and for type values no Unix defines (garbage).
UnixFileType unixFileType(std::uint32_t mode) noexcept;

// The FILE_ATTRIBUTE_* low byte for a member with this mode: the folder bit
// or the archive bit, plus read-only when permissions are there and the
// owner may not write. Hidden and system have no Unix counterpart.
std::uint8_t dosAttributesFromUnixMode(std::uint32_t mode, bool isFolder) noexcept;

// The symbolic links met so far in an archive, to tell the members that
// would be written through one. Kept by length, so that a long name with
// many '/' is compared only with links as long as one of its folder parts.
class LinkSet {
 public:
  void add(std::string_view link);  // trailing '/' ignored
  // True when a folder part of `name` ('/' separated) is one of the links.
  bool covers(std::string_view name) const;

 private:
  std::map<std::size_t, std::set<std::string, std::less<>>> byLength_;
};

}  // namespace rivano::arc
