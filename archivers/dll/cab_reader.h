// Cabinets, read through the system's FDI (cabinet.dll: MSZIP, LZX and
// Quantum). FDI wants to open files itself; the reader hands it the
// archive's bytes and the output sink through in-memory handles instead,
// so it fits the same interface as the portable readers. Windows only.
#pragma once

#include <memory>

#include "archivers/core/archive_format.h"

namespace rivano::arc {

std::unique_ptr<ArchiveReader> openCab(ByteSpan data, const Limits& limits, Result& result);

}  // namespace rivano::arc
