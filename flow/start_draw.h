// The start's random choice, made the same way by the window's load and by
// the logon run: with the even draw or the draw without repeats on, one
// draw over a pool of pictures; otherwise the two classic stages, a checked
// source first, each as likely as any other, then a picture of it, which
// the caller draws from the list it has of that source.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "engine/fair_draw.h"
#include "engine/random_pick.h"
#include "settings/settings_layout.h"

namespace rivano {

struct StartChoice {
  std::size_t candidate = 0;
  std::optional<std::wstring> picture;  // none: the caller draws it from the source's list
};

// The pool draw over the candidates: the window's lists them all, the
// logon run takes counts recorded by earlier runs where it can.
using PoolDraw = std::function<std::optional<SourcePick>()>;

// None when there is no candidate, or the pool draw found no picture.
std::optional<StartChoice> drawAtStart(std::size_t candidates, const WallpaperExtras& extras,
                                       const PoolDraw& drawFromPool, RandomPick& random);

}  // namespace rivano
