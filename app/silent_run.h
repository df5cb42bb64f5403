// The logon run ("/S").
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/program_state.h"
#include "archive/archive_access.h"
#include "engine/fair_draw.h"
#include "flow/exit_change.h"
#include "engine/random_pick.h"
#include "flow/source_listing.h"
#include "platform/monitor_layout.h"
#include "settings/settings_layout.h"

namespace rivano {

// Makes the change the main window makes when it closes, from the same
// settings and by the same random choices as its load, and stores the
// settings back as that close stores them: a source drawn from the checked
// entries, a picture drawn from its list (sorted as the list sorts), that
// picture written as the wallpaper of the next start, the history and the
// temporary folder dealt with. No window is made and no box is shown:
// nobody is there at logon, and under Wine the window's controls would
// cost more than the change itself.
class SilentRun {
 public:
  // `state` holds the program's paths; its screen is needed by finish only.
  SilentRun(ProgramState& state, SettingsRegistry& settings, SystemRegistry& system,
            win::ArchiverLibraries& archivers, RandomPick& random);

  // The source and the picture, drawn from the settings alone. Nothing of
  // the screen is needed yet, so the screen can be measured meanwhile.
  void draw();
  // With state's screen measured: the change, unless the options turn it
  // off, then the temporary folder and the settings.
  void finish(PictureLoader& pictures, BitmapFileWriter& bitmapFile, Desktop& desktop);
  // The monitors a picture of its own goes to when that option is on; the
  // system's unless set.
  void useMonitors(const MonitorLayout& layout) { monitors_ = &layout; }

 private:
  struct Drawn {
    std::size_t entry;
    std::wstring source;
    SourceKind kind;  // the folder or an archive kind
    std::wstring name;
  };
  using Candidates = std::vector<std::pair<std::size_t, SourceKind>>;  // entry, kind
  std::optional<SourcePick> poolPick(const std::vector<std::wstring>& avoided);
  std::optional<Drawn> drawAnother(const std::vector<std::wstring>& avoided);
  std::vector<SourceCandidate> sourceCandidates() const;
  std::vector<std::wstring> listedNames(const SourceCandidate& source);
  void changePerMonitor(const std::vector<Monitor>& monitors, const MonitorLayout& layout, PictureLoader& pictures,
                        const WallpaperTarget& target);
  std::optional<MonitorPicture> monitorPicture(const Drawn& drawn, const Monitor& monitor, PictureLoader& pictures);
  std::optional<std::wstring> drawnByName(const std::wstring& source);
  ListSort listSort() const;
  std::wstring pictureFile(const Drawn& drawn);
  void change(const Drawn& drawn, PictureLoader& pictures, const WallpaperTarget& target);

  ProgramState& state_;
  SettingsRegistry& settings_;
  SystemRegistry& system_;
  RandomPick& random_;
  ArchiveAccess archives_;
  std::optional<Drawn> drawn_;
  // The list's sort, the one setting of the window the draw depends on.
  std::int16_t sortKey_ = -1;
  std::int16_t sortOrder_ = 0;
  Fitting fitting_;
  WallpaperExtras extras_;
  Candidates candidates_;
  const MonitorLayout* monitors_ = nullptr;
};

// Both steps, for a caller that has measured the screen already.
void runSilently(ProgramState& state, Services& services, RandomPick& random);

}  // namespace rivano
