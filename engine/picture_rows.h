// The rows of the picture list, held by the program rather than by the
// list control: the control only asks for the text it is about to draw, so
// filling, sorting and reading the list never goes row by row through it.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace rivano {

struct PictureRow {
  std::wstring name;  // the file name, or the member name inside an archive
  std::wstring size;
  std::wstring type;
  std::wstring date;
  std::wstring attributes;

  static constexpr int kColumns = 5;
  // Columns 0 to 4 in the list's order; anything else reads as the name.
  const std::wstring& column(int index) const;
};

class PictureRows {
 public:
  // Turns a column text into a key whose byte order is the order wanted
  // (the platform's collation); computed once per row for a sort.
  using SortKeyOf = std::function<std::string(const std::wstring&)>;
  // True when `text` starts with `prefix` as the user types it.
  using PrefixMatch = std::function<bool(const std::wstring& prefix, const std::wstring& text)>;

  std::size_t size() const { return rows_.size(); }
  bool empty() const { return rows_.empty(); }
  const PictureRow& operator[](std::size_t index) const { return rows_[index]; }
  // Whether `index` names a row; list controls speak in ints.
  bool holds(int index) const { return index >= 0 && static_cast<std::size_t>(index) < rows_.size(); }

  void clear() { rows_.clear(); }
  void reserve(std::size_t n) { rows_.reserve(n); }
  void add(PictureRow row) { rows_.push_back(std::move(row)); }
  void replace(std::size_t index, PictureRow row) { rows_[index] = std::move(row); }
  void remove(std::size_t index);

  // Index of the first row with exactly this name, or -1.
  int find(const std::wstring& name) const;
  // The first row from `start` on (wrapping to the top when asked) whose
  // name begins with `prefix`, or -1: the list's type-ahead.
  int findPrefix(const std::wstring& prefix, int start, bool wrap, const PrefixMatch& matches) const;

  // A stable sort by one column. Returns where the row that was at
  // `follow` went, so a selection can move with its row (-1 stays -1).
  int sort(int column, bool descending, const SortKeyOf& keyOf, int follow);

 private:
  std::vector<PictureRow> rows_;
};

}  // namespace rivano
