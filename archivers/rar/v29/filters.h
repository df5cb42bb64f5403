// The standard RAR 3.x filters. Archives carry each filter as a program for
// the format's virtual machine; the encoder only ever writes six of them, so
// a program is recognised by its length and CRC32 and replaced by the native
// transform. Any other program is refused: archive bytes are never run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace rivano::arc::rar {

enum class FilterKind { e8, e8e9, itanium, delta, rgb, audio };

// Filter memory; blocks are limited to what its data area holds.
inline constexpr std::uint32_t kFilterMemory = 0x40000;
inline constexpr std::uint32_t kMaxFilterBlock = 0x3C000;

std::optional<FilterKind> recogniseFilter(const std::uint8_t* code, std::size_t size);

// Runs a filter over the `length` bytes at the start of `memory` (which
// holds kFilterMemory + 4 bytes). `r` are the program's seven initial
// registers; `fileOffset` is where the block starts in the member. Sets
// `output` to the filtered bytes (inside `memory`). False when the
// parameters are impossible for that filter.
bool runFilter(FilterKind kind, std::uint8_t* memory, std::uint32_t length, const std::uint32_t (&r)[7],
               std::uint32_t fileOffset, const std::uint8_t*& output);

}  // namespace rivano::arc::rar
