// The logon run ("/S").
#pragma once

#include "app/program_state.h"
#include "engine/random_pick.h"

namespace rivano {

// Makes the change the main window makes when it closes, from the same
// settings and by the same random choices as its load, and stores the
// settings back as that close stores them: a source drawn from the checked
// entries, a picture drawn from its list (sorted as the list sorts), that
// picture written as the wallpaper of the next start, the history and the
// temporary folder dealt with. No window is made and no box is shown:
// nobody is there at logon, and under Wine the window's controls would
// cost more than the change itself. `state` must hold the paths and the
// screen.
void runSilently(ProgramState& state, Services& services, RandomPick& random);

}  // namespace rivano
