#include "engine/picture_rows.h"

#include <algorithm>
#include <numeric>

namespace rivano {

const std::wstring& PictureRow::column(int index) const {
  switch (index) {
    case 1: return size;
    case 2: return type;
    case 3: return date;
    case 4: return attributes;
    default: return name;
  }
}

void PictureRows::remove(std::size_t index) {
  if (index < rows_.size()) rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(index));
}

int PictureRows::find(const std::wstring& name) const {
  for (std::size_t i = 0; i < rows_.size(); ++i)
    if (rows_[i].name == name) return static_cast<int>(i);
  return -1;
}

int PictureRows::findPrefix(const std::wstring& prefix, int start, bool wrap, const PrefixMatch& matches) const {
  const int n = static_cast<int>(rows_.size());
  if (n == 0) return -1;
  const int first = std::clamp(start, 0, n);
  for (int i = first; i < n; ++i)
    if (matches(prefix, rows_[static_cast<std::size_t>(i)].name)) return i;
  if (wrap)
    for (int i = 0; i < first; ++i)
      if (matches(prefix, rows_[static_cast<std::size_t>(i)].name)) return i;
  return -1;
}

int PictureRows::sort(int column, bool descending, const SortKeyOf& keyOf, int follow) {
  const std::size_t n = rows_.size();
  std::vector<std::string> keys;
  keys.reserve(n);
  for (const PictureRow& row : rows_) keys.push_back(keyOf(row.column(column)));
  std::vector<std::size_t> order(n);
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return descending ? keys[b] < keys[a] : keys[a] < keys[b];
  });
  std::vector<PictureRow> sorted;
  sorted.reserve(n);
  int followed = -1;
  for (std::size_t i = 0; i < n; ++i) {
    if (static_cast<int>(order[i]) == follow) followed = static_cast<int>(i);
    sorted.push_back(std::move(rows_[order[i]]));
  }
  rows_ = std::move(sorted);
  return followed;
}

}  // namespace rivano
