#include "archivers/zip/zip_attributes.h"

#include "archivers/core/member_path.h"
#include "archivers/core/unix_entry.h"

namespace rivano::arc {
namespace {

enum class Host { dos, unix, other };

// Hosts whose low attribute byte holds MS-DOS attributes: MS-DOS/FAT, OS/2
// HPFS, NTFS, 11 (written by Windows' own ZIP folders) and VFAT. Unix and
// Darwin keep a Unix mode in the high 16 bits.
Host hostOf(std::uint16_t madeBy) noexcept {
  switch (madeBy >> 8) {
    case 0:
    case 6:
    case 10:
    case 11:
    case 14: return Host::dos;
    case 3:
    case 19: return Host::unix;
    default: return Host::other;
  }
}

// A final '/', or a final '\' that is not the second byte of a Shift_JIS
// character (a kanji such as 0x95 0x5C).
bool endsWithSeparator(std::string_view name, bool nameIsUtf8) noexcept {
  if (name.empty()) return false;
  if (name.back() == '/') return true;
  if (name.back() != '\\') return false;
  if (nameIsUtf8) return true;
  std::size_t i = 0;
  while (i + 1 < name.size()) i += isCp932LeadByte(static_cast<std::uint8_t>(name[i])) ? 2 : 1;
  return i == name.size() - 1;
}

// Volume label and device bits never describe a member: such a byte is not
// attributes at all.
bool plausibleDosAttributes(std::uint8_t attributes) noexcept { return (attributes & 0x48) == 0; }

}  // namespace

ZipMemberKind zipMemberKind(std::uint16_t madeBy, std::uint32_t externalAttributes, std::string_view name,
                            bool nameIsUtf8, std::uint64_t size) noexcept {
  ZipMemberKind kind;
  const bool slash = endsWithSeparator(name, nameIsUtf8);
  // A folder holds no bytes; an entry that does is a file whatever its
  // attributes claim, unless its name says otherwise.
  const bool mayBeFolder = slash || size == 0;
  const auto mode = static_cast<std::uint32_t>(externalAttributes >> 16);
  Host host = hostOf(madeBy);
  // Unix writers that leave the mode out still fill the MS-DOS byte.
  if (host == Host::unix && mode == 0) host = Host::dos;
  const auto dos = static_cast<std::uint8_t>(externalAttributes & 0xFF);

  if (host == Host::unix) {
    const UnixFileType type = unixFileType(mode);
    kind.isFolder = slash || (mayBeFolder && type == UnixFileType::folder);
    kind.isSymlink = !kind.isFolder && type == UnixFileType::symlink;
    // Type bits no Unix defines (all bits set, say) make the permissions
    // beside them just as doubtful.
    const bool garbage = type == UnixFileType::unknown && (mode & 0170000) != 0;
    kind.dosAttributes = garbage ? (kind.isFolder ? 0x10 : 0x20) : dosAttributesFromUnixMode(mode, kind.isFolder);
    return kind;
  }
  if (host == Host::dos && plausibleDosAttributes(dos)) {
    kind.isFolder = slash || (mayBeFolder && (dos & 0x10) != 0);
    kind.dosAttributes = static_cast<std::uint8_t>(dos & 0x27);
  } else {
    kind.isFolder = slash;
    kind.dosAttributes = 0;
  }
  if (kind.isFolder) kind.dosAttributes |= 0x10;
  if (kind.dosAttributes == 0) kind.dosAttributes = 0x20;
  return kind;
}

}  // namespace rivano::arc
