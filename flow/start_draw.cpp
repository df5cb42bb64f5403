#include "flow/start_draw.h"

#include <utility>

namespace rivano {

std::optional<StartChoice> drawAtStart(std::size_t candidates, const WallpaperExtras& extras,
                                       const PoolDraw& drawFromPool, RandomPick& random) {
  if (candidates == 0) return std::nullopt;
  if (!extras.drawEvenly && !extras.noRepeat) return StartChoice{random.pick(candidates), std::nullopt};
  std::optional<SourcePick> pick = drawFromPool();
  if (!pick) return std::nullopt;
  return StartChoice{pick->candidate, std::move(pick->name)};
}

}  // namespace rivano
