// What a ZIP central directory entry is: a file, a folder or a symbolic
// link, and its attributes as the program shows them. The external
// attributes mean what the host that wrote them ("version made by", high
// byte) meant, and some writers leave garbage there, so the name decides
// first: a final separator makes a folder, and without one only an
// attribute that holds up makes anything but a file.
#pragma once

#include <cstdint>
#include <string_view>

namespace rivano::arc {

struct ZipMemberKind {
  bool isFolder = false;
  bool isSymlink = false;
  std::uint8_t dosAttributes = 0x20;  // FILE_ATTRIBUTE_* low byte
};

// `name` is the member name as listed (after any Unicode path field);
// `nameIsUtf8` says whether a 0x5C byte can be a Shift_JIS trail byte.
ZipMemberKind zipMemberKind(std::uint16_t madeBy, std::uint32_t externalAttributes, std::string_view name,
                            bool nameIsUtf8, std::uint64_t size) noexcept;

}  // namespace rivano::arc
