// RAR 5 decoding beyond the common factory: the file header's compression
// information also says which algorithm version wrote the member, and
// version 1 (written by newer RAR versions) stores 80 distance codes
// instead of 64, which changes how the code tables are read.
#pragma once

#include <cstdint>
#include <memory>

#include "archivers/rar/rar_unpack.h"

namespace rivano::arc::rar {

// `algorithmVersion` is the low 6 bits of the compression information
// (0 or 1; anything else is refused by every call of the unpacker).
std::unique_ptr<Unpacker> makeUnpacker50(std::uint64_t dictionarySize, unsigned algorithmVersion);

}  // namespace rivano::arc::rar
