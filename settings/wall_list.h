// The registered wallpaper sources: five arrays indexed by entry, kept in
// step by every operation here. Entry i is item i+1 of the folder list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace rivano {

struct WallEntry {
  std::wstring path;
  bool checked = true;
  std::int16_t tileOpt = 2;  // 0 never, 1 always, 2 automatic
  std::int16_t tileX = 2;    // across
  std::int16_t tileY = 2;    // down
  bool operator==(const WallEntry&) const = default;
};

class WallList {
 public:
  std::size_t size() const { return gList.size(); }
  bool empty() const { return gList.empty(); }
  WallEntry entry(std::size_t index) const;
  void append(const WallEntry& entry);
  // Exchanges all five fields of two entries (0-based).
  void swapEntries(std::size_t a, std::size_t b);
  // Removes one entry (0-based); the later ones move up in order.
  void remove(std::size_t index);
  void clear();

  std::vector<std::wstring> gList;
  std::vector<bool> gLSelect;
  std::vector<std::int16_t> gTileOpt;
  std::vector<std::int16_t> gTileX;
  std::vector<std::int16_t> gTileY;
};

}  // namespace rivano
