// Text crosses the ANSI Windows functions in the system's code page (932 on
// the users' systems). A name the code page cannot hold (Korean, say) comes
// out of the plain conversion with "?" or a look-alike in its place, which
// names some other file or none: where such a name would cross, the caller
// asks for the exact form and refuses the name when there is none.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace rivano::win {

std::string toAnsi(std::wstring_view text);
std::wstring fromAnsi(std::string_view text);

// The ANSI form when it converts back to exactly `text`; none when some
// character would be replaced or approximated.
std::optional<std::string> toAnsiExact(std::wstring_view text);
bool fitsAnsi(std::wstring_view text);

// The bytes of the ANSI form of `text`, where a character the code page
// lacks counts as two, the widest one of a double-byte code page: the
// measure of the program's 1024-byte limit on setting values.
std::size_t ansiLength(std::wstring_view text);

}  // namespace rivano::win
