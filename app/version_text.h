// The version as the version dialog shows it, from the program file's own
// version numbers.
#pragma once

#include <string>
#include <string_view>

namespace rivano {

// prefix + major + dot + minor (at least two digits) + dot + revision (at
// least four digits); wider numbers are shown in full.
std::wstring versionText(std::wstring_view prefix, std::wstring_view dot, unsigned major, unsigned minor,
                         unsigned revision);

}  // namespace rivano
