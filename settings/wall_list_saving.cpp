#include "settings/wall_list_saving.h"

#include <utility>

#include "settings/number_text.h"

namespace rivano {
namespace {

constexpr std::wstring_view kCopyComplete = L"Complete";

bool copyIsComplete(const SettingsStore& s) {
  return s.valueText(Section::savedWallList, kCopyComplete, L"") == L"1";
}

// The newest 20 entries, renumbered from 0. An empty entry is not written:
// the gap ends the history at the next load.
std::vector<std::pair<std::size_t, const std::wstring*>> storedHistory(
    const std::vector<std::wstring>& history) {
  std::vector<std::pair<std::size_t, const std::wstring*>> stored;
  const std::size_t c = history.size();
  const std::size_t first = c <= kStoredHistory ? 0 : c - kStoredHistory;
  for (std::size_t k = 0; k < kStoredHistory && k != c; ++k)
    if (!history[first + k].empty()) stored.emplace_back(k, &history[first + k]);
  return stored;
}

// Every value of a stored list, in the order the exit has always written
// them, "Count" last. False as soon as one is not stored.
bool writeList(SettingsStore& s, Section to, const WallList& wallList,
               const std::vector<std::pair<std::size_t, const std::wstring*>>& history) {
  for (const auto& [k, path] : history)
    if (!s.writeNumbered(to, L"Rireki", k, *path)) return false;
  if (wallList.empty()) return true;
  std::size_t n = 0;
  for (const WallEntry& entry : wallList) {
    ++n;
    if (!s.writeNumbered(to, L"List", n, entry.path) ||
        !s.writeNumbered(to, L"LSelect", n, wordText(entry.checked)) ||
        !s.writeNumbered(to, L"TileOpt", n, numberText(entry.tileOpt)) ||
        !s.writeNumbered(to, L"TileX", n, numberText(entry.tileX)) ||
        !s.writeNumbered(to, L"TileY", n, numberText(entry.tileY)))
      return false;
  }
  return s.writeValue(to, value::count.name, numberText(static_cast<std::int64_t>(wallList.size())));
}

}  // namespace

Section wallListToLoad(const SettingsStore& s) {
  return copyIsComplete(s) ? Section::savedWallList : Section::wallList;
}

void saveWallList(SettingsStore& s, const WallList& wallList,
                  const std::vector<std::wstring>& history) {
  const auto storedPaths = storedHistory(history);
  // A complete copy left by an exit that was cut off is what loads now; it
  // keeps standing for the stored list until WallList is whole again.
  const bool copyStands = copyIsComplete(s);
  if (wallList.empty() && storedPaths.empty()) {
    // The new state is "no key": deleting WallList is the switch, unless a
    // complete copy stands, in which case deleting the copy is.
    s.deleteSection(Section::wallList);
    if (!s.sectionExists(Section::wallList)) s.deleteSection(Section::savedWallList);
    return;
  }
  if (!copyStands) {
    // An incomplete copy is the remains of an exit cut off before its end
    // mark; values of it must not mix into the new copy.
    s.deleteSection(Section::savedWallList);
    if (s.sectionExists(Section::savedWallList)) return;  // the old list stays
    if (!writeList(s, Section::savedWallList, wallList, storedPaths) ||
        !s.writeValue(Section::savedWallList, kCopyComplete, L"1")) {
      s.deleteSection(Section::savedWallList);
      return;  // the old list stays
    }
  }
  // Until WallList is whole again the copy is the stored list: a WallList
  // that would not go, or a value that would not be written, leaves it so.
  s.deleteSection(Section::wallList);
  if (!s.sectionExists(Section::wallList) && writeList(s, Section::wallList, wallList, storedPaths))
    s.deleteSection(Section::savedWallList);
}

}  // namespace rivano
