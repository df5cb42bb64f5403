#include "tests/unit/memory_registry.h"

namespace rivano::testing {

std::unique_ptr<SettingsRegistry> makeTestRegistry() { return std::make_unique<MemoryRegistry>(); }
std::wstring testProgramKey() { return L"Software\\Velmorat\\RivanoTest"; }

}  // namespace rivano::testing
