// The version dialog: the program's picture, title and version, the user's
// name and the link to the home page. Modal over the main window; a new one
// is made for every opening, so nothing is kept between showings.
#pragma once

#include <memory>
#include <string>

#include "app/program_state.h"
#include "platform/controls.h"
#include "platform/unique_handle.h"
#include "platform/window.h"

namespace rivano {

class FrmAbout final : public win::Window {
 public:
  explicit FrmAbout(const ProgramState& state);
  ~FrmAbout() override;
  // Loads, zooms open, runs until OK, Enter or Esc, and zooms shut.
  void showModal(HWND owner);

 protected:
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void load();
  void createControls();
  // What depends on the DPI beyond the controls' places: the picture, the
  // title's and the link's fonts, the link's place (about_dpi.cpp).
  void showPicture();
  void makeFonts();
  void placeLink();
  void onDpiChanged(WPARAM wParam, LPARAM lParam);
  void placeCentred();
  void zoom(bool opening);
  void setLinkHover(bool over);
  void watchMouse(const MSG& msg);
  HWND item(int id) const { return GetDlgItem(hwnd(), id); }

  const ProgramState& state_;
  HWND owner_ = nullptr;
  bool done_ = false;
  bool linkHover_ = false;
  std::unique_ptr<win::ControlFactory> factory_;
  win::UniqueGdiObject titleFont_;
  win::UniqueGdiObject linkFont_;
  win::UniqueGdiObject picture_;
  HCURSOR linkCursor_ = nullptr;  // a resource cursor: shared, never destroyed
};

// The program file's version as the dialog shows it ("v2.05.0269"), read
// from the file's own version resource; empty when it has none.
std::wstring programVersionText();

// The help menu's commands.
void openHelpFile(const ProgramState& state, HWND owner);
void openHomePage();

}  // namespace rivano
