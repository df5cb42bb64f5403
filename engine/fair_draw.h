// The draw of a picture from a pool of sources, evenly over every picture,
// and, when asked, away from the pictures shown most recently.
//
// The two-stage draw (a source first, then a picture in it) gives the one
// picture of a small source as many chances as all the pictures of a large
// one together; a pool of every checked source's pictures makes every
// picture equally likely. Without repeats, a picture named in the history
// is drawn only when the pool holds nothing else, and then the one shown
// longest ago comes first.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/random_pick.h"
#include "engine/source_kind.h"

namespace rivano {

struct PoolSource {
  std::wstring path;               // the folder or archive
  std::vector<std::wstring> names;  // its pictures, as its list shows them
};

struct PoolPick {
  std::size_t source = 0;
  std::size_t picture = 0;
  bool operator==(const PoolPick&) const = default;
};

// A history entry names a picture as its source's path, a backslash and its
// name; names compare as Windows compares them, without regard to the case
// of Latin letters.
std::wstring historyPath(const std::wstring& source, const std::wstring& name);

// One picture of the whole pool, every picture equally likely; with
// `avoidHistory`, pictures named in `history` (oldest first) only when no
// other is left, the least recent of them first. None for an empty pool.
std::optional<PoolPick> drawFromPool(const std::vector<PoolSource>& pool, const std::vector<std::wstring>& history,
                                     bool avoidHistory, RandomPick& random);

// The draw both the window's start and the logon run make when either
// option is on: the pool is every candidate source (evenly) or the one
// drawn first, each listed by `list` as its picture list shows it.
struct SourceCandidate {
  std::size_t entry = 0;  // in the wall list
  std::wstring path;
  SourceKind kind = SourceKind::none;
};
struct SourcePick {
  std::size_t candidate = 0;
  std::wstring name;
};
using SourceLister = std::function<std::vector<std::wstring>(const SourceCandidate&)>;
std::optional<SourcePick> drawPictureFromSources(const std::vector<SourceCandidate>& candidates, bool evenly,
                                                 bool avoidHistory, const std::vector<std::wstring>& history,
                                                 const SourceLister& list, RandomPick& random);

// The even draw without listing every source: each source's count may come
// from a record of an earlier run, and only the source the draw lands in is
// listed. A count found out of date is put right and the draw starts
// again; a picture in the history is drawn again from the whole pool, which
// keeps every other picture equally likely. When the history holds nearly
// everything, or the counts keep moving, the draw falls back to listing
// every source.
class CountedPool {
 public:
  virtual ~CountedPool() = default;
  virtual std::size_t sources() const = 0;
  virtual const std::wstring& path(std::size_t source) const = 0;
  // How many pictures the source's list shows, as last known.
  virtual std::size_t knownCount(std::size_t source) = 0;
  // The source's pictures as its list shows them now.
  virtual const std::vector<std::wstring>& names(std::size_t source) = 0;
};
std::optional<PoolPick> drawEvenlyByCounts(CountedPool& pool, const std::vector<std::wstring>& history,
                                           bool avoidHistory, RandomPick& random);

}  // namespace rivano
