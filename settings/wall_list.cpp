#include "settings/wall_list.h"

#include <stdexcept>
#include <utility>

namespace rivano {

WallEntry WallList::entry(std::size_t i) const {
  return {gList.at(i), gLSelect.at(i), gTileOpt.at(i), gTileX.at(i), gTileY.at(i)};
}

void WallList::append(const WallEntry& e) {
  gList.push_back(e.path);
  gLSelect.push_back(e.checked);
  gTileOpt.push_back(e.tileOpt);
  gTileX.push_back(e.tileX);
  gTileY.push_back(e.tileY);
}

void WallList::swapEntries(std::size_t a, std::size_t b) {
  if (a >= size() || b >= size()) throw std::out_of_range("wall list entry");
  std::swap(gList[a], gList[b]);
  // vector<bool> has no references to swap through.
  const bool checkedA = gLSelect[a];
  gLSelect[a] = gLSelect[b];
  gLSelect[b] = checkedA;
  std::swap(gTileOpt[a], gTileOpt[b]);
  std::swap(gTileX[a], gTileX[b]);
  std::swap(gTileY[a], gTileY[b]);
}

void WallList::remove(std::size_t i) {
  if (i >= size()) throw std::out_of_range("wall list entry");
  gList.erase(gList.begin() + static_cast<std::ptrdiff_t>(i));
  gLSelect.erase(gLSelect.begin() + static_cast<std::ptrdiff_t>(i));
  gTileOpt.erase(gTileOpt.begin() + static_cast<std::ptrdiff_t>(i));
  gTileX.erase(gTileX.begin() + static_cast<std::ptrdiff_t>(i));
  gTileY.erase(gTileY.begin() + static_cast<std::ptrdiff_t>(i));
}

void WallList::clear() {
  gList.clear();
  gLSelect.clear();
  gTileOpt.clear();
  gTileX.clear();
  gTileY.clear();
}

}  // namespace rivano
