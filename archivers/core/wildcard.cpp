#include "archivers/core/wildcard.h"

namespace rivano::arc {
namespace {

char fold(char c) noexcept { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Greedy match with one backtrack point: linear in practice, never recursive.
bool match(std::string_view p, std::string_view n) noexcept {
  std::size_t pi = 0, ni = 0;
  std::size_t star = std::string_view::npos, resume = 0;
  while (ni < n.size()) {
    if (pi < p.size() && p[pi] == '*') {
      star = pi++;
      resume = ni;
    } else if (pi < p.size() && (p[pi] == '?' || fold(p[pi]) == fold(n[ni]))) {
      ++pi;
      ++ni;
    } else if (star != std::string_view::npos) {
      pi = star + 1;
      ni = ++resume;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == '*') ++pi;
  return pi == p.size();
}

}  // namespace

bool wildcardMatch(std::string_view pattern, std::string_view name) noexcept {
  if (pattern.empty() || match(pattern, name)) return true;
  if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*") {
    return name.find('.') == std::string_view::npos && match(pattern.substr(0, pattern.size() - 2), name);
  }
  return false;
}

}  // namespace rivano::arc
