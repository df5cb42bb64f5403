#include "ui/dropwork/frm_drop_work.h"

#include <new>

#include "app/command_line.h"
#include "common/run_error.h"
#include "engine/fit_rules.h"
#include "platform/cursor.h"
#include "platform/message_box.h"
#include "resources/resource_ids.h"
#include "settings/settings_layout.h"

namespace rivano {

FrmDropWork::FrmDropWork(const ProgramState& state, Services& services, std::wstring arguments)
    : state_(state), services_(services), arguments_(std::move(arguments)) {}

void FrmDropWork::load() {
  CreateArgs args;
  args.className = L"RivanoDropWork";
  args.style = WS_OVERLAPPED;
  create(args);
  applyDroppedPicture();
}

void FrmDropWork::unload() { destroy(); }

void FrmDropWork::applyDroppedPicture() {
  try {
    const std::unique_ptr<Picture> picture = services_.pictures.load(picturePath(arguments_));
    SettingsStore store(services_.settings);
    const std::int16_t option = store.int16(value::dragOpt);
    bool tile = option == 1;
    if (option != 0 && option != 1) {
      const std::int16_t down = store.int16(value::dropTileDown);
      const std::int16_t across = store.int16(value::dropTileAcross);
      tile = smallEnoughToTile(state_.screen.twips, picture->sizeTwips(), across, down);
    }
    win::ScopedHourglass hourglass;
    // Never shrunk here: a dropped picture is the user's explicit choice.
    placeWallpaper(picture->asLoaded(), tile,
                   {services_.bitmapFile, services_.system, services_.desktop, state_.wallpaperBitmap});
    win::processPendingMessages();
    services_.desktop.setWallpaper(state_.wallpaperBitmap);
  } catch (const RunError& e) {
    win::showErrorDialog(hwnd(), IDS_TITLE_COMMAND_WALL, e.number(), PictureAdvice::handled);
  } catch (const std::bad_alloc&) {
    win::showErrorDialog(hwnd(), IDS_TITLE_COMMAND_WALL, err::outOfMemory, PictureAdvice::handled);
  }
}

}  // namespace rivano
