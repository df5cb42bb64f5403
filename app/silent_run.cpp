#include "app/silent_run.h"

#include <windows.h>

#include <memory>
#include <new>
#include <vector>

#include "app/recorded_pool.h"
#include "engine/data_type.h"
#include "engine/fair_draw.h"
#include "engine/path_kind.h"
#include "flow/picture_file.h"
#include "flow/run_end.h"
#include "flow/start_draw.h"
#include "flow/window_place.h"
#include "platform/file_system.h"
#include "platform/folder_names.h"
#include "common/run_error.h"
#include "settings/settings_layout.h"
#include "shell/path_parts.h"

namespace rivano {
namespace {

// A source that cannot be read is no source; there is nobody to tell.
SourceKind kindOf(const std::wstring& path) {
  return sourceKindOf(path, win::pathAttributes, [](int) {});
}

// Where the main window would stand, centred on the screen, at the size it
// is made at on this screen.
WindowPlace centredWindow(const ScreenMetrics& screen) {
  return centredPlace({kMainWindowWidthTwips / screen.twipsPerPixelX, kMainWindowHeightTwips / screen.twipsPerPixelY},
                      {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
}

}  // namespace

SilentRun::SilentRun(ProgramState& state, SettingsRegistry& settings, SystemRegistry& system,
                     win::ArchiverLibraries& archivers, RandomPick& random)
    : state_(state),
      settings_(settings),
      system_(system),
      random_(random),
      archives_{archivers, system, state.unpackFolder, nullptr, true} {}

ListSort SilentRun::listSort() const { return {sortKey_ > 0, sortKey_, sortOrder_ == 1}; }

void SilentRun::draw() {
  if (!win::directoryExists(state_.unpackFolder)) CreateDirectoryW(state_.unpackFolder.c_str(), nullptr);
  SettingsStore store(settings_);
  state_.wallList = wallListAtStart(readWallList(store), win::windowsFolder());
  state_.history = readHistory(store);
  // The window's place, which needs the screen, is read again at the end.
  const MainLoadValues loaded = readMainLoadValues(store, MainLoadDefaults{});
  sortKey_ = loaded.sortKey.value_or(-1);
  sortOrder_ = static_cast<std::int16_t>(loaded.sortOrder.value_or(0) != 0 ? 1 : 0);
  extras_ = readWallpaperExtras(store);

  // Each checked entry that exists, with its kind.
  for (std::size_t i = 0; i < state_.wallList.size(); ++i) {
    if (!state_.wallList[i].checked) continue;
    const SourceKind kind = kindOf(state_.wallList[i].path);
    if (kind != SourceKind::none) candidates_.emplace_back(i, kind);
  }
  std::optional<StartChoice> choice =
      drawAtStart(candidates_.size(), extras_, [this] { return poolPick(state_.history); }, random_);
  if (!choice) return;
  const auto& [entry, kind] = candidates_[choice->candidate];
  const std::wstring& source = state_.wallList[entry].path;
  std::optional<std::wstring> name = std::move(choice->picture);
  if (!name && kind == SourceKind::folder) name = drawnByName(source);
  if (!name) {
    std::optional<PictureRows> rows = listSourcePictures(archives_, nullptr, system_, source, kind, listSort(),
                                                         sortKey_ > 0 ? RowColumns::all : RowColumns::nameOnly);
    if (!rows || rows->empty()) return;
    name = (*rows)[random_.pick(rows->size())].name;
  }
  drawn_ = Drawn{entry, source, kind, *name};
}

// The draw over a pool of pictures: every checked source's for an even
// draw, or the one source drawn first; the `avoided` pictures left out
// when repeats are avoided.
std::optional<SourcePick> SilentRun::poolPick(const std::vector<std::wstring>& avoided) {
  const std::vector<SourceCandidate> sources = sourceCandidates();
  if (extras_.drawEvenly) {
    // Listing every source would cost more than all the rest of the run:
    // the counts of earlier runs stand in for the sources left unchanged.
    RecordedPool pool(
        settings_, sources, [this](const SourceCandidate& source) { return listedNames(source); },
        win::changeStamp);
    const std::optional<PoolPick> pick = drawEvenlyByCounts(pool, avoided, extras_.noRepeat, random_);
    pool.save();
    if (!pick) return std::nullopt;
    return SourcePick{pick->source, pool.names(pick->source)[pick->picture]};
  }
  return drawPictureFromSources(
      sources, extras_.drawEvenly, extras_.noRepeat, avoided,
      [this](const SourceCandidate& source) { return listedNames(source); }, random_);
}

std::optional<SilentRun::Drawn> SilentRun::drawAnother(const std::vector<std::wstring>& avoided) {
  std::optional<SourcePick> pick = poolPick(avoided);
  if (!pick) return std::nullopt;
  const auto& [entry, kind] = candidates_[pick->candidate];
  return Drawn{entry, state_.wallList[entry].path, kind, std::move(pick->name)};
}

std::vector<SourceCandidate> SilentRun::sourceCandidates() const {
  std::vector<SourceCandidate> sources;
  sources.reserve(candidates_.size());
  for (const auto& [entry, kind] : candidates_) sources.push_back({entry, state_.wallList[entry].path, kind});
  return sources;
}

// A source's pictures as its list shows them, in its order; the columns
// matter to a sort alone.
std::vector<std::wstring> SilentRun::listedNames(const SourceCandidate& source) {
  return listedPictureNames(archives_, nullptr, system_, source.path, source.kind, listSort(),
                            sortKey_ > 0 ? RowColumns::all : RowColumns::nameOnly);
}
// The quick draw from an unsorted folder: from the names alone, which the
// file system gives without reading each file. The window's list leaves
// out sub-folders, and lists nothing when the folder holds no plain file;
// so a name drawn is kept only when it is a file and that holds, and
// otherwise the draw starts again from the whole listing, as the window
// makes it. Every picture the window would list stays as likely as any
// other. None when the quick draw does not apply or did not settle.
std::optional<std::wstring> SilentRun::drawnByName(const std::wstring& source) {
  if (sortKey_ > 0) return std::nullopt;
  const std::wstring folder = withBackslash(source);
  std::vector<std::wstring> names;
  if (!win::folderEntryNames(folder, names)) return std::nullopt;
  std::erase_if(names, [](const std::wstring& n) { return !isPictureName(n); });
  if (names.empty()) return std::nullopt;
  std::wstring name = std::move(names[random_.pick(names.size())]);
  const std::wstring path = folder + name;
  if (!win::fileExists(path)) return std::nullopt;
  if (!win::isNormalFile(path) && !win::folderHasNormalFile(folder)) return std::nullopt;
  return name;
}

void SilentRun::finish(PictureLoader& pictures, BitmapFileWriter& bitmapFile, Desktop& desktop) {
  const WindowPlace centred = centredWindow(state_.screen);
  MainLoadDefaults defaults;
  defaults.left = centred.left * state_.screen.twipsPerPixelX;
  defaults.top = centred.top * state_.screen.twipsPerPixelY;
  const MainLoadValues loaded = readMainLoadValues(SettingsStore(settings_), defaults);
  fitting_ = {loaded.picReSize.value_or(false), loaded.picReMag.value_or(0), extras_.fillScreen};

  if (drawn_ && !loaded.noWallpaper.value_or(false)) {
    const WallpaperTarget target{bitmapFile, system_, desktop, state_.wallpaperBitmap};
    const win::SystemMonitors system;
    const MonitorLayout& layout = monitors_ ? *monitors_ : system;
    // One monitor, or the option off: the one picture, exactly as ever.
    const std::vector<Monitor> monitors = extras_.perMonitor ? layout.monitors() : std::vector<Monitor>{};
    if (monitors.size() > 1) changePerMonitor(monitors, layout, pictures, target);
    else change(*drawn_, pictures, target);
  }
  endRun(settings_, state_.unpackFolder,
         exitValuesAsLoaded(loaded, centred, state_.screen.twipsPerPixelX, state_.screen.twipsPerPixelY),
         state_.wallList, state_.history);
}

void SilentRun::change(const Drawn& drawn, PictureLoader& pictures, const WallpaperTarget& target) {
  try {
    const std::wstring file = pictureFile(drawn);
    if (file.empty() || !win::fileExists(file)) return;
    const std::unique_ptr<Picture> picture = pictures.load(
        file, wallpaperTargets(state_.screen, fitting_.shrink, fitting_.marginPercent, fitting_.fill));
    changeAndRecord(*picture, entryRules(state_.screen, fitting_, state_.wallList[drawn.entry]), target,
                    state_.history, historyPath(drawn.source, drawn.name));
  } catch (const RunError&) {
    // A picture that cannot be found, read or written ends the change;
    // the settings are saved all the same.
  } catch (const std::bad_alloc&) {
  }
}

// A picture of its own for each monitor, the one drawn already on the
// primary, the others drawn now (away from each other's when repeats are
// avoided), composed into one bitmap over the whole desktop. The history
// takes each monitor's picture, the primary's last.
void SilentRun::changePerMonitor(const std::vector<Monitor>& monitors, const MonitorLayout& layout,
                                 PictureLoader& pictures, const WallpaperTarget& target) {
  std::vector<std::optional<Drawn>> drawn(monitors.size());
  std::vector<std::wstring> avoided = state_.history;
  avoided.push_back(historyPath(drawn_->source, drawn_->name));
  for (std::size_t i = 0; i < monitors.size(); ++i) {
    if (monitors[i].primary) {
      drawn[i] = drawn_;
      continue;
    }
    drawn[i] = drawAnother(avoided);
    if (drawn[i]) avoided.push_back(historyPath(drawn[i]->source, drawn[i]->name));
  }
  std::vector<MonitorPicture> shown(monitors.size());
  std::vector<std::wstring> applied;
  std::wstring primaryPath;
  for (std::size_t i = 0; i < monitors.size(); ++i) {
    if (!drawn[i]) continue;
    std::optional<MonitorPicture> picture = monitorPicture(*drawn[i], monitors[i], pictures);
    if (!picture) continue;
    shown[i] = std::move(*picture);
    const std::wstring path = historyPath(drawn[i]->source, drawn[i]->name);
    if (monitors[i].primary) primaryPath = path;
    else applied.push_back(path);
  }
  if (!primaryPath.empty()) applied.push_back(primaryPath);
  if (applied.empty()) return;
  const bool spans = layout.spansOneBitmap();
  try {
    target.writer.write(target.bitmapPath, composeMonitors(monitors, shown, layout.background(),
                                                           spans ? SpanStyle::span : SpanStyle::tiledFromOrigin));
  } catch (const RunError&) {
    return;
  } catch (const std::bad_alloc&) {
    return;
  }
  writeWallpaperPath(target.registry, target.bitmapPath);
  // Newer Windows spans the bitmap over every monitor; older Windows tiles
  // it from the primary's corner, which the bitmap is laid out for.
  target.registry.writeSystemText(RegRoot::currentUser, std::wstring(kDesktopKey), L"WallpaperStyle",
                                 spans ? L"22" : L"0");
  writeTileWallpaper(target.registry, !spans);
  for (const std::wstring& path : applied) recordInHistory(state_.history, path);
}

// One monitor's picture, fitted (or filled) to that monitor by the rules
// of its source; none when it cannot be had.
std::optional<MonitorPicture> SilentRun::monitorPicture(const Drawn& drawn, const Monitor& monitor,
                                                        PictureLoader& pictures) {
  try {
    const std::wstring file = pictureFile(drawn);
    if (file.empty() || !win::fileExists(file)) return std::nullopt;
    const ScreenMetrics screen = monitorMetrics(monitor, state_.screen);
    const std::unique_ptr<Picture> picture =
        pictures.load(file, wallpaperTargets(screen, fitting_.shrink, fitting_.marginPercent, fitting_.fill));
    WallpaperLook look = wallpaperLook(*picture, entryRules(screen, fitting_, state_.wallList[drawn.entry]));
    return MonitorPicture{std::move(look.image), look.tile};
  } catch (const RunError&) {
    return std::nullopt;
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

// The file to load: the folder's own, or the member taken out anew.
std::wstring SilentRun::pictureFile(const Drawn& drawn) {
  if (drawn.kind == SourceKind::folder) return folderPictureFile(drawn.source, drawn.name);
  const std::wstring copy = memberCopyPath(state_.unpackFolder, drawn.name);
  return takeOutMember(archives_, drawn.source, drawn.name, copy) ? copy : std::wstring();
}

void runSilently(ProgramState& state, Services& services, RandomPick& random) {
  SilentRun run(state, services.settings, services.system, services.archivers, random);
  run.draw();
  run.finish(services.pictures, services.bitmapFile, services.desktop);
}

}  // namespace rivano
