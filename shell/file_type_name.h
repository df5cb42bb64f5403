// The name Windows gives a file's type (the text Explorer shows for it), read from the class
// table through the registry routines so that it works on any Registry.
#pragma once

#include <string>
#include <string_view>

#include "common/system_registry.h"

namespace rivano {

// The description of the class registered for the path's extension; the
// upper-cased extension itself when either lookup finds nothing.
std::wstring fileTypeName(SystemRegistry& registry, std::wstring_view path);

}  // namespace rivano
