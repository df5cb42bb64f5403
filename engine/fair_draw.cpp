#include "engine/fair_draw.h"

#include <unordered_map>

namespace rivano {
namespace {

std::wstring folded(std::wstring text) {
  for (wchar_t& c : text)
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  return text;
}

}  // namespace

std::wstring historyPath(const std::wstring& source, const std::wstring& name) { return source + L"\\" + name; }

std::optional<PoolPick> drawFromPool(const std::vector<PoolSource>& pool, const std::vector<std::wstring>& history,
                                     bool avoidHistory, RandomPick& random) {
  std::size_t total = 0;
  for (const PoolSource& s : pool) total += s.names.size();
  if (total == 0) return std::nullopt;

  auto nth = [&](std::size_t n, auto&& counts) -> std::optional<PoolPick> {
    for (std::size_t s = 0; s < pool.size(); ++s)
      for (std::size_t p = 0; p < pool[s].names.size(); ++p)
        if (counts(s, p) && n-- == 0) return PoolPick{s, p};
    return std::nullopt;
  };
  if (!avoidHistory || history.empty()) return nth(random.pick(total), [](std::size_t, std::size_t) { return true; });

  // When each history path was last shown: its place in the history.
  std::unordered_map<std::wstring, std::size_t> lastShown;
  for (std::size_t i = 0; i < history.size(); ++i) lastShown[folded(history[i])] = i;
  std::vector<std::vector<std::size_t>> shownAt(pool.size());  // history place + 1, 0 when never shown
  std::size_t fresh = 0;
  PoolPick leastRecent;
  std::size_t leastRecentAt = history.size();
  for (std::size_t s = 0; s < pool.size(); ++s) {
    shownAt[s].resize(pool[s].names.size());
    for (std::size_t p = 0; p < pool[s].names.size(); ++p) {
      const auto found = lastShown.find(folded(historyPath(pool[s].path, pool[s].names[p])));
      if (found == lastShown.end()) {
        ++fresh;
        continue;
      }
      shownAt[s][p] = found->second + 1;
      if (found->second < leastRecentAt) {
        leastRecentAt = found->second;
        leastRecent = {s, p};
      }
    }
  }
  if (fresh == 0) return leastRecent;
  return nth(random.pick(fresh), [&](std::size_t s, std::size_t p) { return shownAt[s][p] == 0; });
}

std::optional<SourcePick> drawPictureFromSources(const std::vector<SourceCandidate>& candidates, bool evenly,
                                                 bool avoidHistory, const std::vector<std::wstring>& history,
                                                 const SourceLister& list, RandomPick& random) {
  if (candidates.empty()) return std::nullopt;
  std::vector<std::size_t> chosen;
  if (evenly) {
    for (std::size_t i = 0; i < candidates.size(); ++i) chosen.push_back(i);
  } else {
    chosen.push_back(random.pick(candidates.size()));
  }
  std::vector<PoolSource> pool;
  pool.reserve(chosen.size());
  for (std::size_t c : chosen) pool.push_back({candidates[c].path, list(candidates[c])});
  const std::optional<PoolPick> pick = drawFromPool(pool, history, avoidHistory, random);
  if (!pick) return std::nullopt;
  return SourcePick{chosen[pick->source], std::move(pool[pick->source].names[pick->picture])};
}

std::optional<PoolPick> drawEvenlyByCounts(CountedPool& pool, const std::vector<std::wstring>& history,
                                           bool avoidHistory, RandomPick& random) {
  // Enough tries that a pool a tenth of which is in the history almost
  // never falls back; few enough that a pool all in it soon does.
  constexpr int kTries = 32;
  std::unordered_map<std::wstring, bool> shown;
  if (avoidHistory)
    for (const std::wstring& h : history) shown[folded(h)] = true;
  std::vector<std::size_t> counts(pool.sources());
  for (std::size_t s = 0; s < counts.size(); ++s) counts[s] = pool.knownCount(s);
  for (int attempt = 0; attempt < kTries; ++attempt) {
    std::size_t total = 0;
    for (std::size_t c : counts) total += c;
    if (total == 0) break;
    std::size_t n = random.pick(total);
    std::size_t s = 0;
    while (n >= counts[s]) n -= counts[s++];
    const std::vector<std::wstring>& names = pool.names(s);
    if (names.size() != counts[s]) {
      counts[s] = names.size();
      continue;
    }
    if (shown.count(folded(historyPath(pool.path(s), names[n])))) continue;
    return PoolPick{s, n};
  }
  // Every source listed: exact, whatever the records said.
  std::vector<PoolSource> whole(pool.sources());
  for (std::size_t s = 0; s < whole.size(); ++s) whole[s] = {pool.path(s), pool.names(s)};
  return drawFromPool(whole, history, avoidHistory, random);
}

}  // namespace rivano
