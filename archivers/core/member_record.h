// The 558-byte member record of the archiver interface, filled from a
// MemberEntry. Plain fixed-width types, so it is built and tested natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "archivers/core/archive_format.h"

namespace rivano::arc {

#pragma pack(push, 1)
struct MemberInfo {
  std::uint32_t originalSize;
  std::uint32_t compressedSize;
  std::uint32_t crc;
  std::uint32_t flags;
  std::uint32_t osType;
  std::uint16_t ratio;  // compressed / original in per mille
  std::uint16_t date;
  std::uint16_t time;
  char fileName[513];
  char reserved[3];
  char attribute[8];
  char method[8];
};
#pragma pack(pop)

static_assert(sizeof(MemberInfo) == 558);
static_assert(offsetof(MemberInfo, ratio) == 20);
static_assert(offsetof(MemberInfo, date) == 22);
static_assert(offsetof(MemberInfo, fileName) == 26);
static_assert(offsetof(MemberInfo, attribute) == 542);
static_assert(offsetof(MemberInfo, method) == 550);

// Attribute text: four letters R, H, S, A in that order, '-' where the DOS
// attribute is clear ("---A" is a plain archived file), then 'D' for a
// folder ("---AD"). The program shows the first four characters.
std::string attributeText(std::uint8_t dosAttributes, bool isFolder);

// `name` is the member name as the program sees it (ANSI, '\' separated);
// longer than 512 bytes it is cut. Sizes beyond 32 bits read 0xFFFFFFFF.
void fillMemberInfo(const MemberEntry& entry, std::string_view name, MemberInfo& info) noexcept;

}  // namespace rivano::arc
