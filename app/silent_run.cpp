#include "app/silent_run.h"

#include <windows.h>

#include <memory>
#include <new>
#include <optional>
#include <vector>

#include "archive/archive_access.h"
#include "archive/member_text.h"
#include "engine/data_type.h"
#include "engine/path_kind.h"
#include "platform/collation.h"
#include "platform/file_system.h"
#include "settings/run_error.h"
#include "settings/settings_layout.h"
#include "shell/folder_pictures.h"
#include "shell/path_parts.h"
#include "ui/main/main_layout.h"

namespace rivano {
namespace {

class SilentRun {
 public:
  SilentRun(ProgramState& state, Services& services, RandomPick& random)
      : state_(state),
        services_(services),
        random_(random),
        archives_{services.archivers, services.registry, state.gUnPakTmp, nullptr, true} {}

  void run() {
    if (!win::directoryExists(state_.gUnPakTmp)) CreateDirectoryW(state_.gUnPakTmp.c_str(), nullptr);
    SettingsStore store(services_.registry);
    const WindowPlace centred = centredWindow();
    MainLoadDefaults defaults;
    defaults.left = centred.left * state_.screen.twipsPerPixelX;
    defaults.top = centred.top * state_.screen.twipsPerPixelY;
    const MainLoadValues loaded = readMainLoadValues(store, defaults);
    state_.gSortKey = loaded.sortKey.value_or(-1);
    state_.gSortOrder = static_cast<std::int16_t>(loaded.sortOrder.value_or(0) != 0 ? 1 : 0);
    state_.gPicReSize = loaded.picReSize.value_or(false);
    state_.gPicReMag = loaded.picReMag.value_or(0);
    state_.wall = wallListAtStart(readWallList(store), win::windowsFolder());
    state_.gEntryCount = static_cast<std::int16_t>(state_.wall.size());
    state_.gRireki = readHistory(store);

    if (!loaded.noWallpaper.value_or(false)) changeToRandomPicture();

    // Entries whose member was taken out go with the folder; errors are of
    // no interest here.
    if (win::directoryExists(state_.gUnPakTmp + L"\\")) win::removeFolderTree(state_.gUnPakTmp);
    writeMainExitValues(store,
                        exitValuesAsLoaded(loaded, centred, state_.screen.twipsPerPixelX,
                                           state_.screen.twipsPerPixelY),
                        state_.wall, state_.gRireki);
  }

 private:
  // Where the main window would stand, centred on the screen.
  WindowPlace centredWindow() const {
    const int width = main_layout::kWindowWidth / state_.screen.twipsPerPixelX;
    const int height = main_layout::kWindowHeight / state_.screen.twipsPerPixelY;
    return {(GetSystemMetrics(SM_CXSCREEN) - width) / 2, (GetSystemMetrics(SM_CYSCREEN) - height) / 2};
  }

  // A source that cannot be read is no source; there is nobody to tell.
  static std::wstring kindOf(const std::wstring& path) {
    return myDataType(path, win::pathAttributes, [](int) {});
  }

  static bool isArchiveKind(const std::wstring& kind) {
    return !kind.empty() && kind != L"DIR" && myArchiveType(kind) == kind;
  }

  void changeToRandomPicture() {
    std::vector<std::size_t> candidates;
    for (std::size_t i = 0; i < state_.wall.size(); ++i)
      if (state_.wall.gLSelect[i] && !kindOf(state_.wall.gList[i]).empty()) candidates.push_back(i);
    if (candidates.empty()) return;
    const std::size_t entry = candidates[random_.pick(candidates.size())];
    const std::wstring& source = state_.wall.gList[entry];
    std::optional<PictureRows> rows = pictures(source);
    if (!rows || rows->empty()) return;
    if (state_.gSortKey > 0) rows->sort(state_.gSortKey, state_.gSortOrder == 1, win::collationKey, -1);
    state_.gCurEntry = static_cast<std::int32_t>(entry);
    const std::wstring name = (*rows)[random_.pick(rows->size())].name;
    if (name.empty()) return;
    try {
      const std::wstring file = pictureFile(source, name);
      if (file.empty() || !win::fileExists(file)) return;
      const std::unique_ptr<Picture> picture =
          services_.pictures.load(file, wallpaperTargets(state_.screen, state_.gPicReSize, state_.gPicReMag));
      changeAtExit(*picture,
                   {state_.screen, state_.gPicReSize, state_.gPicReMag, state_.wall.gTileOpt[entry],
                    state_.wall.gTileX[entry], state_.wall.gTileY[entry]},
                   {services_.bitmapFile, services_.registry, services_.desktop, state_.gWallBmp});
      // The picture's own path: for an archive the archive and the member.
      const std::wstring path = source + L"\\" + name;
      if (state_.gRireki.empty() || state_.gRireki.back() != path) state_.gRireki.push_back(path);
    } catch (const RunError&) {
      // A picture that cannot be found, read or written ends the change;
      // the settings are saved all the same.
    } catch (const std::bad_alloc&) {
    }
  }

  // The source's pictures; none when it cannot be listed.
  std::optional<PictureRows> pictures(const std::wstring& source) {
    try {
      const std::wstring kind = kindOf(source);
      PictureRows rows;
      if (kind == L"DIR") {
        if (!listFolderPictures(withBackslash(source), services_.registry, rows)) return std::nullopt;
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
  std::wstring pictureFile(const std::wstring& source, const std::wstring& name) {
    if (kindOf(source) == L"DIR") {
      const std::wstring folder = withBackslash(source);
      return win::isNormalFile(folder + name) || win::folderHasNormalFile(folder) ? folder + name : L"";
    }
    // The member's name comes from the archive: checked before it is used
    // as a path at all.
    if (!memberNameStaysInside(name) || myArchiveCheck(archives_, source) == 0) return {};
    const std::wstring target = state_.gUnPakTmp + L"\\" + name;
    // A file of that name left by an earlier run is not this picture.
    DeleteFileW(target.c_str());
    return myArchiveExtract(archives_, source, name).empty() ? std::wstring() : target;
  }

  ProgramState& state_;
  Services& services_;
  RandomPick& random_;
  ArchiveAccess archives_;
};

}  // namespace

void runSilently(ProgramState& state, Services& services, RandomPick& random) {
  SilentRun(state, services, random).run();
}

}  // namespace rivano
