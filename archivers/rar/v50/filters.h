// The transforms RAR 5 applies to decoded blocks before they are written:
// byte-channel delta and the branch-address conversions for x86 (E8, E8E9)
// and ARM code. An address conversion depends on where the block lies in
// the member, so it takes the block's offset in the member's output.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rivano::arc::rar5 {

enum class FilterType : std::uint8_t { delta = 0, e8 = 1, e8e9 = 2, arm = 3 };

struct Filter {
  std::uint64_t start = 0;  // absolute position in the decoded stream
  std::uint32_t length = 0;
  FilterType type = FilterType::delta;
  std::uint8_t channels = 1;  // delta only
};

// Largest block a filter may cover; the format's writer never makes longer ones.
inline constexpr std::uint32_t kMaxFilterBlock = 0x400000;

// Transforms `size` bytes of `data` in place; `scratch` must hold `size`
// bytes (the delta filter de-interleaves through it). `fileOffset` is the
// position of data[0] in the member's output.
void applyFilter(const Filter& f, std::uint8_t* data, std::size_t size, std::uint64_t fileOffset,
                 std::uint8_t* scratch);

}  // namespace rivano::arc::rar5
