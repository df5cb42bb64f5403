// The options dialog: the history of wallpapers, the start-up options, the
// shortcuts and the removal of the settings, the fitting of large pictures
// and the tile rule of a dropped picture, one tab each. Modal over the
// main window; a new one is made for every opening.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>

#include "app/program_state.h"
#include "engine/wallpaper.h"
#include "platform/controls.h"
#include "platform/dialog_keys.h"
#include "platform/list_box.h"
#include "platform/picture_box.h"
#include "platform/shell_link.h"
#include "platform/slider.h"
#include "platform/tab_strip.h"
#include "platform/window.h"
#include "ui/options/option_frame.h"
#include "ui/options/options_host.h"
#include "ui/options/options_ids.h"

namespace rivano {

class FrmOptions final : public win::Window {
 public:
  FrmOptions(ProgramState& state, Services& services, OptionsHost host);
  ~FrmOptions() override;
  // Loads, shows and runs the dialog until OK or Cancel unloads it; the
  // owner takes no input meanwhile.
  void showModal(HWND owner);

 protected:
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // Building (options_controls.cpp).
  void createControls();
  void createHistoryFrame();
  void createStartupFrame();
  void createShortcutFrame();
  void createFittingFrame();
  void createDropFrame();
  void createExtrasFrame();
  void setTexts();

  // The frame (frm_options.cpp).
  void load();
  void showStoredValues();
  void tbsOptions_Click();
  void selectNextTab();
  // Shown, enabled and on the tab in view: the keys may act on it.
  bool reachable(HWND control) const;
  bool previewKey(const MSG& msg);
  void cmdOkbutton_Click();
  void unloadDialog();
  void onCommand(int id, int code);
  LRESULT onNotify(NMHDR& header);
  HWND item(int id) const;
  void onDpiChanged(WPARAM wParam, LPARAM lParam);  // options_dpi.cpp

  // Start-up options (startup_tab.cpp).
  void chkTimeOut_Click();
  void sldTimeInt_Scroll();
  void noChangeCheckBox_Click();

  // Fitting and drop (fitting_drop_tab.cpp).
  void chkZoomIn_Click();
  void sldDsp_Change();
  void showMargin(int percent);
  void drawMarginSketch(HDC dc, const RECT& screen);
  void tileModeButton_Click(int index);

  // Shortcuts and removal (shortcut_tab.cpp).
  // Writes the link into the user's folder; a failure is shown, with the
  // folder and the reason.
  bool saveShortcut(win::UserFolder where, const win::ShellLinkFields& link);
  void startupShortcutButton_Click();
  void cmdDesktop_Click();
  void cmdUnInstall_Click();

  // History (history_tab.cpp).
  void fillHistoryList();
  void historyList_Click();
  void viewerCheckBox_Click();
  void cmdChange_Click();
  void cmdLstDel_Click();
  void removeSelectedHistoryEntry();
  void openSelectedHistoryEntry();
  void resetShiftState();
  // The run-time error dialog of the tab; the list has the focus after it.
  void showHistoryError(int titleId, int number);
  void giveFocusToList();
  // The list starts a drag of its entry's file once the pressed mouse moves.
  bool watchHistoryDrag(const MSG& msg);
  void historyList_OLEStartDrag();
  std::wstring entryFile(const std::wstring& entry);

  ProgramState& state_;
  Services& services_;
  OptionsHost host_;
  HWND owner_ = nullptr;
  bool done_ = false;
  bool shiftDown_ = false;  // as the key preview last saw it; the history's deletion asks
  std::unique_ptr<win::ControlFactory> factory_;
  // Filling the screen as stored when the dialog opened: the history's
  // change follows it, as it follows the shrinking in use.
  bool storedFillScreen_ = false;
  std::array<OptionFrame, options_ids::kTabCount> frames_;
  std::array<std::unique_ptr<win::ControlFactory>, options_ids::kTabCount> frameFactories_;
  std::unique_ptr<win::ToolTips> tips_;
  win::TabStrip tbsOptions_;
  win::Slider sldTimeInt_;
  win::Slider sldDsp_;
  win::ListBox historyList_;
  win::PictureBox picMain_;
  win::FocusKeeper focus_;

  std::wstring lastPreviewed_;  // the history entry the tab showed last
  std::int16_t dropOption_ = 2;
  std::unique_ptr<Picture> imgFile_;
  std::wstring imgFileEntry_;       // the history entry imgFile_ was loaded for
  std::optional<POINT> pressedAt_;  // where the mouse went down on the list
};

}  // namespace rivano
