#include "settings/wall_list.h"

#include <stdexcept>
#include <utility>

namespace rivano {

void WallList::swapEntries(std::size_t a, std::size_t b) {
  if (a >= size() || b >= size()) throw std::out_of_range("wall list entry");
  std::swap(entries_[a], entries_[b]);
}

void WallList::remove(std::size_t i) {
  if (i >= size()) throw std::out_of_range("wall list entry");
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i));
}

}  // namespace rivano
