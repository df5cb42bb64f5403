// The one command the program sends to an archiver library: extract a single
// member of an archive into a folder. Each library has its own switches; the
// three paths are always double-quoted. Parsing is strict on purpose: a quote
// inside a member name would otherwise let the name close its token early and
// smuggle in a different destination, so anything but exactly the switches
// and three quoted paths is refused.
#pragma once

#include <string>
#include <string_view>

namespace rivano::arc {

struct ExtractCommand {
  std::string archive;
  std::string destination;  // as given, normally ending in '\'
  std::string member;
};

// `prefix` is the library's export prefix ("UnZip", "Tar", ...). Returns
// false for an unknown prefix or a line that is not exactly
//   <switches> "<archive>" "<destination>" "<member>"
// with the switches of that library (ASCII case ignored), tokens separated
// by blanks, no empty path and no quote inside a path.
bool parseExtractCommand(std::string_view prefix, std::string_view line, ExtractCommand& out);

}  // namespace rivano::arc
