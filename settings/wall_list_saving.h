// Replacing the stored wall list so that a kill at any moment leaves either
// the old list or the new one for the next load.
//
// The load reads "Count" and then List1 onwards from one key, so no order
// of writes into that key alone can get from one list to another: with two
// entries swapped, whichever List value is written first makes a list that
// holds one path twice and the other not at all. The exit therefore writes
// the complete new list, in the very layout of WallList, to the key
// "WallListNew" first and marks that copy complete with its last value.
// From that moment the loads read the copy; WallList is deleted and
// rewritten exactly as it always was, and the copy is deleted last.
#pragma once

#include <string>
#include <vector>

#include "settings/settings_layout.h"

namespace rivano {

// WallList, or the copy of an exit that was cut off after completing it.
Section wallListToLoad(const SettingsStore& store);

// The exit's WallList step: the newest 20 history entries and every entry.
// A finished save leaves exactly the values the key always held and no
// copy; nothing stored at all (no entry, no history) leaves no WallList key.
// When a value cannot be written the stored list stays the old one, or the
// complete copy of the new one.
void saveWallList(SettingsStore& store, const WallList& wallList,
                  const std::vector<std::wstring>& history);

}  // namespace rivano
