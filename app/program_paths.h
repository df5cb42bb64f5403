// The program-wide paths derived from where the program file lies.
#pragma once

#include <string>
#include <string_view>

namespace rivano {

// The folder of a program file path, always ending in "\" (a drive root
// such as "C:\" keeps its one backslash).
std::wstring appPathFromModule(std::wstring_view modulePath);

}  // namespace rivano
