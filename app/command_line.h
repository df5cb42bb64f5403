// The run's command line: "/S", "/N", nothing, or the path of a picture
// (a file dropped on the program's shortcut).
#pragma once

#include <string>
#include <string_view>

namespace rivano {

enum class RunKind {
  silent,       // "/S": change the wallpaper without a window and quit
  noRandom,     // "/N": the window without the start-up random selection
  interactive,  // nothing: the window
  picture,      // a picture path: apply it and quit
  nothing,      // anything else: quit at once, nothing changed
};

// The argument text after the program name, as Windows passed it.
std::wstring argumentText(std::wstring_view fullCommandLine);
// Leading spaces stripped (trailing kept) and upper-cased: what is dispatched on.
std::wstring preparedCommandLine(std::wstring_view arguments);
RunKind dispatchKind(const std::wstring& prepared);
// The picture path as typed: leading spaces stripped, letter case kept. The
// shell quotes a dropped path that holds a space; the quotes are not part
// of the path.
std::wstring picturePath(std::wstring_view arguments);

}  // namespace rivano
