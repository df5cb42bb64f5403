#include "engine/random_pick.h"

#include <chrono>
#include <cmath>
#include <random>

namespace rivano {

namespace {

float clockSeededDraw() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch().count() ^
                   std::chrono::system_clock::now().time_since_epoch().count();
  std::mt19937 generator(static_cast<std::mt19937::result_type>(now));
  return std::uniform_real_distribution<float>(0.0f, 1.0f)(generator);
}

}  // namespace

RandomPick::RandomPick(std::function<float()> draw)
    : draw_(draw ? std::move(draw) : std::function<float()>(clockSeededDraw)) {}

std::size_t RandomPick::pick(std::size_t n) { return pickIndex(n, draw_()); }

std::size_t pickIndex(std::size_t n, float r) {
  if (n == 0) return 0;
  const double position = std::floor(static_cast<double>(static_cast<float>(n) * r) + 1.0);
  const std::size_t numbered = position < 1.0 ? 1 : static_cast<std::size_t>(position);
  return (numbered > n ? n : numbered) - 1;
}

}  // namespace rivano
