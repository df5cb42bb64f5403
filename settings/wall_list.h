// The registered wallpaper sources, one entry each. Entry i is item i+1 of
// the folder list and is stored as List<i+1>, LSelect<i+1> and so on.
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
  std::size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  // Unchecked, as the callers index with numbers they have checked.
  WallEntry& operator[](std::size_t index) { return entries_[index]; }
  const WallEntry& operator[](std::size_t index) const { return entries_[index]; }
  // Checked: throws std::out_of_range.
  const WallEntry& entry(std::size_t index) const { return entries_.at(index); }
  void append(const WallEntry& entry) { entries_.push_back(entry); }
  // Exchanges two entries (0-based).
  void swapEntries(std::size_t a, std::size_t b);
  // Removes one entry (0-based); the later ones move up in order.
  void remove(std::size_t index);
  void clear() { entries_.clear(); }

  auto begin() const { return entries_.begin(); }
  auto end() const { return entries_.end(); }

 private:
  std::vector<WallEntry> entries_;
};

}  // namespace rivano
