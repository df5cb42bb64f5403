// A history entry split into its source and the picture's name inside it.
#pragma once

#include <functional>
#include <string>

namespace rivano {

struct HistoryEntry {
  std::wstring source;  // a folder or an archive
  std::wstring name;    // the file name, or the member's path in the archive
  bool inArchive = false;
};

// An entry normally splits at its last "\". A member kept in a folder of
// its archive ("x.zip\photos\m.bmp") has more than one: there the source is
// the leading part that names an archive file, found with `isFile`.
HistoryEntry splitHistoryEntry(const std::wstring& entry, const std::function<bool(const std::wstring&)>& isFile);

}  // namespace rivano
