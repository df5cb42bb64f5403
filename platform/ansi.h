// Text crosses the ANSI Windows functions in the system's code page (932 on
// the users' systems).
#pragma once

#include <string>
#include <string_view>

namespace rivano::win {

std::string toAnsi(std::wstring_view text);
std::wstring fromAnsi(std::string_view text);

}  // namespace rivano::win
