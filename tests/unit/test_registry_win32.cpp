#include "platform/win32_registry.h"
#include "tests/unit/memory_registry.h"

namespace rivano::testing {

std::unique_ptr<SettingsRegistry> makeTestRegistry() { return std::make_unique<win::Win32Registry>(); }
// Its own key in the throwaway prefix: the real program's settings are
// never touched by these tests.
std::wstring testProgramKey() { return L"Software\\Velmorat\\RivanoTest"; }

}  // namespace rivano::testing
