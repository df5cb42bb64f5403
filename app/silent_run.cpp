#include "app/silent_run.h"

#include <windows.h>

#include <memory>
#include <new>
#include <vector>

#include "app/recorded_pool.h"
#include "archive/member_text.h"
#include "engine/data_type.h"
#include "engine/fair_draw.h"
#include "engine/path_kind.h"
#include "platform/collation.h"
#include "platform/file_system.h"
#include "platform/folder_names.h"
#include "common/run_error.h"
#include "settings/settings_layout.h"
#include "shell/folder_pictures.h"
#include "shell/path_parts.h"
#include "ui/main/main_layout.h"

namespace rivano {
namespace {

// A source that cannot be read is no source; there is nobody to tell.
std::wstring kindOf(const std::wstring& path) {
  return myDataType(path, win::pathAttributes, [](int) {});
}

bool isArchiveKind(const std::wstring& kind) {
  return !kind.empty() && kind != L"DIR" && myArchiveType(kind) == kind;
}

// Where the main window would stand, centred on the screen.
WindowPlace centredWindow(const ScreenMetrics& screen) {
  const int width = main_layout::kWindowWidth / screen.twipsPerPixelX;
  const int height = main_layout::kWindowHeight / screen.twipsPerPixelY;
  return {(GetSystemMetrics(SM_CXSCREEN) - width) / 2, (GetSystemMetrics(SM_CYSCREEN) - height) / 2};
}

}  // namespace

SilentRun::SilentRun(ProgramState& state, SettingsRegistry& settings, SystemRegistry& system,
                     win::ArchiverLibraries& archivers, RandomPick& random)
    : state_(state),
      settings_(settings),
      system_(system),
      random_(random),
      archives_{archivers, system, state.gUnPakTmp, nullptr, true} {}

void SilentRun::draw() {
  if (!win::directoryExists(state_.gUnPakTmp)) CreateDirectoryW(state_.gUnPakTmp.c_str(), nullptr);
  SettingsStore store(settings_);
  state_.wall = wallListAtStart(readWallList(store), win::windowsFolder());
  state_.gEntryCount = static_cast<std::int16_t>(state_.wall.size());
  state_.gRireki = readHistory(store);
  // The list's sort is the one setting of the window the draw depends on;
  // the window's place, which needs the screen, is read again at the end.
  const MainLoadValues loaded = readMainLoadValues(store, MainLoadDefaults{});
  state_.gSortKey = loaded.sortKey.value_or(-1);
  state_.gSortOrder = static_cast<std::int16_t>(loaded.sortOrder.value_or(0) != 0 ? 1 : 0);
  extras_ = readWallpaperExtras(store);

  // Each checked entry that exists, with its kind.
  Candidates candidates;
  for (std::size_t i = 0; i < state_.wall.size(); ++i) {
    if (!state_.wall.gLSelect[i]) continue;
    std::wstring kind = kindOf(state_.wall.gList[i]);
    if (!kind.empty()) candidates.emplace_back(i, std::move(kind));
  }
  if (candidates.empty()) return;
  candidates_ = candidates;
  if (extras_.drawEvenly || extras_.noRepeat) {
    drawFromPool();
    return;
  }
  const auto& [entry, kind] = candidates[random_.pick(candidates.size())];
  const std::wstring& source = state_.wall.gList[entry];
  std::optional<std::wstring> name = kind == L"DIR" ? drawnByName(source) : std::nullopt;
  if (!name) {
    std::optional<PictureRows> rows = pictures(source, kind);
    if (!rows || rows->empty()) return;
    if (state_.gSortKey > 0) rows->sort(state_.gSortKey, state_.gSortOrder == 1, win::collationKey, -1);
    name = (*rows)[random_.pick(rows->size())].name;
  }
  state_.gCurEntry = static_cast<std::int32_t>(entry);
  drawn_ = Drawn{entry, source, kind, *name};
}

// The draw over a pool of pictures: every checked source's for an even
// draw, or the one source drawn first; the history's pictures avoided when
// asked.
void SilentRun::drawFromPool() {
  if (std::optional<Drawn> drawn = drawAnother(state_.gRireki)) {
    state_.gCurEntry = static_cast<std::int32_t>(drawn->entry);
    drawn_ = std::move(drawn);
  }
}

std::optional<SilentRun::Drawn> SilentRun::drawAnother(const std::vector<std::wstring>& avoided) {
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
    const SourceCandidate& source = pool.candidate(pick->source);
    return Drawn{source.entry, source.path, source.kind, pool.names(pick->source)[pick->picture]};
  }
  std::optional<SourcePick> pick = drawPictureFromSources(
      sources, extras_.drawEvenly, extras_.noRepeat, avoided,
      [this](const SourceCandidate& source) { return listedNames(source); }, random_);
  if (!pick) return std::nullopt;
  const SourceCandidate& source = sources[pick->candidate];
  return Drawn{source.entry, source.path, source.kind, std::move(pick->name)};
}

std::vector<SourceCandidate> SilentRun::sourceCandidates() const {
  std::vector<SourceCandidate> sources;
  sources.reserve(candidates_.size());
  for (const auto& [entry, kind] : candidates_) sources.push_back({entry, state_.wall.gList[entry], kind});
  return sources;
}

// A source's pictures as its list shows them, in its order.
std::vector<std::wstring> SilentRun::listedNames(const SourceCandidate& source) {
  std::vector<std::wstring> names;
  if (std::optional<PictureRows> rows = pictures(source.path, source.kind)) {
    if (state_.gSortKey > 0) rows->sort(state_.gSortKey, state_.gSortOrder == 1, win::collationKey, -1);
    names.reserve(rows->size());
    for (std::size_t i = 0; i < rows->size(); ++i) names.push_back((*rows)[i].name);
  }
  return names;
}

// The quick draw from an unsorted folder: from the names alone, which the
// file system gives without reading each file. The window's list leaves
// out sub-folders, and lists nothing when the folder holds no plain file;
// so a name drawn is kept only when it is a file and that holds, and
// otherwise the draw starts again from the whole listing, as the window
// makes it. Every picture the window would list stays as likely as any
// other. None when the quick draw does not apply or did not settle.
std::optional<std::wstring> SilentRun::drawnByName(const std::wstring& source) {
  if (state_.gSortKey > 0) return std::nullopt;
  const std::wstring folder = withBackslash(source);
  std::vector<std::wstring> names;
  if (!win::folderEntryNames(folder, names)) return std::nullopt;
  std::erase_if(names, [](const std::wstring& n) { return !myPictureCheck(n); });
  if (names.empty()) return std::nullopt;
  std::wstring name = std::move(names[random_.pick(names.size())]);
  const std::wstring path = folder + name;
  if (!win::fileExists(path)) return std::nullopt;
  if (!win::isNormalFile(path) && !win::folderHasNormalFile(folder)) return std::nullopt;
  return name;
}

void SilentRun::finish(PictureLoader& pictures, BitmapFileWriter& bitmapFile, Desktop& desktop) {
  SettingsStore store(settings_);
  const WindowPlace centred = centredWindow(state_.screen);
  MainLoadDefaults defaults;
  defaults.left = centred.left * state_.screen.twipsPerPixelX;
  defaults.top = centred.top * state_.screen.twipsPerPixelY;
  const MainLoadValues loaded = readMainLoadValues(store, defaults);
  state_.gPicReSize = loaded.picReSize.value_or(false);
  state_.gPicReMag = loaded.picReMag.value_or(0);

  if (drawn_ && !loaded.noWallpaper.value_or(false)) {
    const WallpaperTarget target{bitmapFile, system_, desktop, state_.gWallBmp};
    const win::SystemMonitors system;
    const MonitorLayout& layout = monitors_ ? *monitors_ : system;
    // One monitor, or the option off: the one picture, exactly as ever.
    const std::vector<Monitor> monitors = extras_.perMonitor ? layout.monitors() : std::vector<Monitor>{};
    if (monitors.size() > 1) changePerMonitor(monitors, layout, pictures, target);
    else change(*drawn_, pictures, target);
  }

  // Members taken out go with the folder; errors are of no interest here.
  if (win::directoryExists(state_.gUnPakTmp + L"\\")) win::removeFolderTree(state_.gUnPakTmp);
  writeMainExitValues(
      store, exitValuesAsLoaded(loaded, centred, state_.screen.twipsPerPixelX, state_.screen.twipsPerPixelY),
      state_.wall, state_.gRireki);
}

void SilentRun::change(const Drawn& drawn, PictureLoader& pictures, const WallpaperTarget& target) {
  try {
    const std::wstring file = pictureFile(drawn);
    if (file.empty() || !win::fileExists(file)) return;
    const std::unique_ptr<Picture> picture = pictures.load(
        file, wallpaperTargets(state_.screen, state_.gPicReSize, state_.gPicReMag, extras_.fillScreen));
    changeAtExit(*picture,
                 {state_.screen, state_.gPicReSize, state_.gPicReMag, state_.wall.gTileOpt[drawn.entry],
                  state_.wall.gTileX[drawn.entry], state_.wall.gTileY[drawn.entry], extras_.fillScreen},
                 target);
    // The picture's own path: for an archive the archive and the member.
    const std::wstring path = drawn.source + L"\\" + drawn.name;
    if (state_.gRireki.empty() || state_.gRireki.back() != path) state_.gRireki.push_back(path);
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
  std::vector<std::wstring> avoided = state_.gRireki;
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
  for (const std::wstring& path : applied)
    if (state_.gRireki.empty() || state_.gRireki.back() != path) state_.gRireki.push_back(path);
}

// One monitor's picture, fitted (or filled) to that monitor by the rules
// of its source; none when it cannot be had.
std::optional<MonitorPicture> SilentRun::monitorPicture(const Drawn& drawn, const Monitor& monitor,
                                                        PictureLoader& pictures) {
  try {
    const std::wstring file = pictureFile(drawn);
    if (file.empty() || !win::fileExists(file)) return std::nullopt;
    const ScreenMetrics screen = monitorMetrics(monitor, state_.screen);
    const std::unique_ptr<Picture> picture = pictures.load(
        file, wallpaperTargets(screen, state_.gPicReSize, state_.gPicReMag, extras_.fillScreen));
    WallpaperLook look =
        wallpaperLook(*picture, {screen, state_.gPicReSize, state_.gPicReMag, state_.wall.gTileOpt[drawn.entry],
                                 state_.wall.gTileX[drawn.entry], state_.wall.gTileY[drawn.entry], extras_.fillScreen});
    return MonitorPicture{std::move(look.image), look.tile};
  } catch (const RunError&) {
    return std::nullopt;
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

// The source's pictures; none when it cannot be listed.
std::optional<PictureRows> SilentRun::pictures(const std::wstring& source, const std::wstring& kind) {
  try {
    PictureRows rows;
    if (kind == L"DIR") {
      // The columns matter to a sort alone.
      const RowColumns columns = state_.gSortKey > 0 ? RowColumns::all : RowColumns::nameOnly;
      if (!listFolderPictures(withBackslash(source), system_, rows, columns)) return std::nullopt;
      return rows;
    }
    if (!isArchiveKind(kind) || !win::fileExists(source)) return std::nullopt;
    return myArchiveRows(archives_, nullptr, source);
  } catch (const RunError&) {
    return std::nullopt;
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

// The file to load: the folder's own, or the member taken out anew.
std::wstring SilentRun::pictureFile(const Drawn& drawn) {
  const std::wstring& source = drawn.source;
  const std::wstring& name = drawn.name;
  if (drawn.kind == L"DIR") {
    const std::wstring folder = withBackslash(source);
    return win::isNormalFile(folder + name) || win::folderHasNormalFile(folder) ? folder + name : L"";
  }
  // The member's name comes from the archive: checked before it is used as
  // a path at all.
  if (!memberNameStaysInside(name) || myArchiveCheck(archives_, source) == 0) return {};
  const std::wstring target = state_.gUnPakTmp + L"\\" + name;
  // A file of that name left by an earlier run is not this picture.
  DeleteFileW(target.c_str());
  return myArchiveExtract(archives_, source, name).empty() ? std::wstring() : target;
}

void runSilently(ProgramState& state, Services& services, RandomPick& random) {
  SilentRun run(state, services.settings, services.system, services.archivers, random);
  run.draw();
  run.finish(services.pictures, services.bitmapFile, services.desktop);
}

}  // namespace rivano
