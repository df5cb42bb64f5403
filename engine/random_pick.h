// The random choices of the program: the generator is re-seeded from the
// clock right before each draw, and of n things the one numbered
// Int(n × r + 1) is taken, r uniform in [0, 1) in single precision.
#pragma once

#include <cstddef>
#include <functional>

namespace rivano {

class RandomPick {
 public:
  // `draw` yields r in [0, 1); by default a clock-seeded generator.
  explicit RandomPick(std::function<float()> draw = {});
  // A 0-based index below n (n > 0).
  std::size_t pick(std::size_t n);

 private:
  std::function<float()> draw_;
};

// Int(n × r + 1) − 1, kept below n even when rounding to single precision
// brings n × r up to n.
std::size_t pickIndex(std::size_t n, float r);

}  // namespace rivano
