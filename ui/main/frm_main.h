// The main window: the registered sources (folder list), the pictures of
// the current source (picture list) with their preview, the per-source
// tiling panel, and the wallpaper change that its closing makes.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/program_state.h"
#include "archive/archive_access.h"
#include "engine/error_text.h"
#include "engine/fair_draw.h"
#include "engine/picture_rows.h"
#include "engine/random_pick.h"
#include "engine/source_kind.h"
#include "platform/controls.h"
#include "platform/dialog_keys.h"
#include "platform/list_view.h"
#include "platform/picture_box.h"
#include "platform/unique_handle.h"
#include "platform/window.h"
#include "settings/settings_layout.h"

namespace rivano::win {
class FileDropTarget;
}

namespace rivano {

class FrmMain final : public win::Window {
 public:
  FrmMain(ProgramState& state, Services& services);
  ~FrmMain() override;
  // The load sequence: settings, lists, the start-up random selection. A
  // silent run ("/S") never stops on a box: what would be reported is
  // skipped instead.
  void load();
  void show();
  // Every message the loop takes passes here first: tool tips, the key
  // preview and the dialog keys (Tab, access keys, Enter). True when the
  // message has been handled and must not be dispatched again.
  bool routeMessage(MSG& msg);
  // Key preview of the whole window: the Shift mode follows the Shift key.
  void previewKey(const MSG& msg);
  // The exit sequence: the automatic change, the temporary folder, the
  // settings; then the run ends.
  void unload();

 protected:
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // Building the window (main_controls.cpp).
  void createControls();
  void createMenus();
  void setTexts();
  void setupPictureList();
  void setupFolderList();
  void makeKindIcons();
  // A change of DPI (dpi_change.cpp).
  void onDpiChanged(WPARAM wParam, LPARAM lParam);

  // Load and exit (frm_main.cpp).
  void placeWindow(const struct MainLoadValues& values);
  WindowPlace centredPlace() const;
  MainExitValues exitValues() const;
  void tmrMain_Timer();
  void onResize();
  void onCommand(int id, int code);
  LRESULT onNotify(NMHDR& header);
  LRESULT onPictureListNotify(NMHDR& header);

  // Folder list (folder_list.cpp).
  void loadWallList();
  void lvwMain_ItemClick(int item);
  void lvwMain_ItemCheck(int item);
  void cmdFolder_Click();
  void cmdArchiver_Click();
  void cmdUp_Click();
  void cmdDown_Click();
  void cmdDel_Click();
  void addWallEntry(const std::wstring& path);
  void addChosenSource(const std::wstring& path);
  void moveEntry(int from, int to);
  void selectEntry(int item);
  std::optional<SourcePick> poolPick(const std::vector<std::size_t>& candidates);
  std::wstring browseForFolder();
  std::wstring chooseArchiveFile();
  void setKindIcon(int item, SourceKind kind);
  SourceKind dataType(const std::wstring& path);

  // Picture list (picture_list.cpp).
  bool showSourcePictures(const std::wstring& path);
  bool listFolder(const std::wstring& folder);
  bool listArchive(const std::wstring& archive);
  void showPictureRows(PictureRows rows);
  int pictureCount() const { return static_cast<int>(pictureRows_.size()); }
  std::wstring pictureFile(const std::wstring& source, const std::wstring& name);
  void openSelectedPicture();
  void lvwFile_ColumnClick(int column);
  void mnuSort_Click(int k);
  void mnuSortOrder_Click(int k);
  void mnuLstType_Click(int k);
  void applySort();
  void clearPictureList();
  std::wstring selectedSource() const;
  std::wstring selectedPicture() const;

  // Preview and the manual change (preview_change.cpp).
  void lvwFile_ItemClick(int item);
  void lvwFile_Click();
  void cmdChange_Click();
  // The picture of the selected row, loaded unless imgFile_ already holds
  // that very file; raises 53 when the file cannot be found.
  const Picture& selectedPictureLoaded(const std::wstring& source, const std::wstring& name);
  void clearPreview();
  void viewerCheck_Click();
  void formKeyDown(int keyCode, int shift);
  void formKeyUp();
  // What the program does itself once a deletion or a drag is over: the
  // key-release handling, whatever the keyboard says.
  void endShiftMode();

  // Deletion and the view commands (file_deletion.cpp, view_commands.cpp).
  void cmdFilDel_Click();
  void enableFileDeletion(bool on);
  void removePictureRow(int row);
  void cmdWiden_Click();
  void mnuPicViewer_Click();
  void showWidenButton(int bitmapId, int tipId);

  // Tiling panel (tile_panel.cpp).
  void showTileSettings(std::size_t entry);
  void showTileDefaults();
  void storeTileCounts(std::size_t entry);
  void tileRule_Click(int index);
  void updateTileControls(int option);
  bool swallowThresholdKey(const MSG& msg) const;
  void showTileOption(int option);

  // The change at exit (exit_change.cpp).
  void changeAtClose();

  // Drag and drop (drop_on_lists.cpp, drag_out.cpp).
  void registerDropTargets();
  void revokeDropTargets();
  void lvwMain_OLEDragDrop(const std::vector<std::wstring>& files);
  void lvwFile_OLEDragDrop(const std::vector<std::wstring>& files);
  int showDroppedPicture(const std::wstring& name, const std::wstring& file);
  void lvwFile_OLEStartDrag();
  void lvwFile_OLECompleteDrag();
  void forgetGoneFile(const std::wstring& source, const std::wstring& file);

  void showError(int titleId, int number, PictureAdvice advice);
  HWND item(int id) const { return GetDlgItem(hwnd(), id); }
  bool menuChecked(int id) const;
  void checkMenu(int id, bool checked);
  void selectPictureSilently(int item);

  ProgramState& state_;
  Services& services_;
  std::unique_ptr<win::ControlFactory> factory_;
  std::unique_ptr<win::ToolTips> tips_;
  std::unique_ptr<win::ImageList> largeIcons_;
  std::unique_ptr<win::ImageList> smallIcons_;
  std::unique_ptr<ArchiveAccess> archives_;
  win::ListView lvwMain_;
  win::ListView lvwFile_;  // owner data: its rows are pictureRows_
  PictureRows pictureRows_;
  win::PictureBox picMain_;
  HMENU menu_ = nullptr;
  win::UniqueGdiObject widenBitmap_;  // the widen button's picture, 102 or 103
  RandomPick random_;
  win::FocusKeeper focus_;

  std::unique_ptr<Picture> imgFile_;  // the last picture loaded
  // Which picture imgFile_ holds, and which the preview showed last: the
  // source and the name joined, since two archives' members of one name
  // are taken out to the same file.
  std::wstring imgFilePicture_;
  std::wstring lastPreviewed_;
  std::wstring pendingPreviewMessage_;
  std::wstring lastExtracted_;  // the copy taken out last
  // Which archive each extracted copy came from: a copy is reused only for
  // the archive it was taken out of, never for another holding that name.
  std::map<std::wstring, std::wstring> extractedFrom_;
  // The entry whose pictures the picture list shows; -1 for none.
  std::int32_t currentEntry_ = -1;
  // The sort the menus show (-1 for none, 0 the name) and its direction;
  // the list sorts by a column above the name's only (listSortKey_).
  std::int16_t sortKey_ = -1;
  std::int16_t sortOrder_ = 0;
  std::int16_t listView_ = 0;  // 0 details, 1 small icons
  // The auto-exit: seconds to count, and whether a restored window stops
  // the count (1) until it is minimised again.
  std::int16_t autoExitSeconds_ = 0;
  std::int16_t pauseExitWhenRestored_ = 0;
  std::int16_t autoExitCounter_ = 0;
  bool shiftDown_ = false;        // Shift held: the close makes no change, deletions go further
  bool previewResolved_ = false;  // the preview's picture was found once since the entry was chosen
  bool listWide_ = false;         // the picture list widened over the preview
  bool selecting_ = false;  // the program itself is moving a selection
  bool exiting_ = false;
  bool startMinimised_ = false;
  // The picture list's own sort column and direction, as saved at exit.
  // The wallpaper options of the extended tab, as the load read them.
  WallpaperExtras extras_;
  // The picture the start's draw chose in the entry it selects; the entry's
  // own random choice otherwise.
  std::optional<std::wstring> preselectedPicture_;
  std::int16_t listSortKey_ = 0;
  std::int16_t listSortOrder_ = 0;
  bool sortOn_ = false;
  int missingTried_ = 0;  // substitutes tried for a preview whose file went away
  std::unique_ptr<win::FileDropTarget> lvwMainDrop_;
  std::unique_ptr<win::FileDropTarget> lvwFileDrop_;
  std::unique_ptr<win::FileDropTarget> fraPicDrop_;
};

}  // namespace rivano
