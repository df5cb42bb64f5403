// The main window's controls, menus, captions and tool tips.
#include <windows.h>
// needs windows.h first
#include <commctrl.h>

#include "platform/dpi.h"
#include "platform/string_table.h"
#include "resources/resource_ids.h"
#include "ui/main/frm_main.h"
#include "ui/main/main_ids.h"
#include "ui/main/main_layout.h"

namespace rivano {

using namespace main_ids;
using win::loadString;
using win::TwipsRect;
using main_layout::kFolderList;
using main_layout::kPictureList;

void FrmMain::createControls() {
  using namespace main_layout;
  factory_ = std::make_unique<win::ControlFactory>(hwnd(), win::windowDpi(hwnd()));
  const win::ControlFactory& f = *factory_;
  constexpr DWORD listStyle = WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL |
                              LVS_SHAREIMAGELISTS;
  lvwMain_.attach(f.create(WC_LISTVIEWW, listStyle, kFolderList, lvwMain));
  const int buttonIds[] = {cmdFolder, cmdArchiver, cmdUp, cmdDown, cmdDel};
  for (int i = 0; i < 5; ++i)
    f.create(L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON,
             {kButtonLeft, kButtonTop + i * kButtonStep, kButtonWidth, kButtonHeight}, buttonIds[i]);

  f.create(L"BUTTON", BS_GROUPBOX, kPictureFrame, fraPic);
  // Owner data: the rows stay with the window, the control asks for what
  // it draws, and a folder of ten thousand pictures is one message.
  lvwFile_.attach(f.create(WC_LISTVIEWW, listStyle | LVS_OWNERDATA, inPictureFrame(kPictureList), lvwFile));
  f.create(L"BUTTON", WS_TABSTOP | BS_BITMAP | BS_PUSHBUTTON, inPictureFrame(kWidenButton), cmdWiden);
  picMain_.create(hwnd(), f, inPictureFrame(kPreview), picMain);
  f.create(L"BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX, inPictureFrame(kViewerCheck), chkViewer);
  f.create(PROGRESS_CLASSW, 0, inPictureFrame(kProgress), pbrMain);
  f.create(L"BUTTON", WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON, inPictureFrame(kChangeButton), cmdChange);
  f.create(L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON | BS_MULTILINE, inPictureFrame(kDeleteButton), cmdFilDel);
  f.create(L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON | BS_MULTILINE, inPictureFrame(kCloseButton), cmdEnd);

  f.create(L"BUTTON", BS_GROUPBOX, kTileFrame, fraOption);
  // Tab enters the option group at its chosen button (the tile panel keeps
  // the tab stop there); the arrow keys move inside the group, which ends
  // at the next group mark.
  for (int i = 0; i < 3; ++i) {
    TwipsRect option = kTileOption;
    option.top += i * kTileOptionStep;
    f.create(L"BUTTON", BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP | WS_TABSTOP : 0), option, optTile0 + i);
  }
  auto below = [](TwipsRect r) { return TwipsRect{r.left, r.top + kAcrossBelowDown, r.width, r.height}; };
  // The thresholds take digits through their own key filter
  // (tile_panel.cpp), which also swallows control keys such as Ctrl+V.
  f.create(L"STATIC", SS_RIGHT | WS_GROUP, kDownCountLabel, lblDown0);
  f.create(L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, kDownCountBox, txtDown, {}, WS_EX_CLIENTEDGE);
  f.create(L"STATIC", 0, kDownCountUnit, lblDown1);
  f.create(L"STATIC", SS_RIGHT, below(kDownCountLabel), lblAcross0);
  f.create(L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, below(kDownCountBox), txtAcross, {}, WS_EX_CLIENTEDGE);
  f.create(L"STATIC", 0, below(kDownCountUnit), lblAcross1);
  f.create(L"STATIC", 0, kSentence, lblSentence);
  for (int id : {txtDown, txtAcross}) {
    SendMessageW(item(id), EM_LIMITTEXT, 5, 0);
    win::withoutInputMethod(item(id));
  }
  tips_ = std::make_unique<win::ToolTips>(hwnd());
}

void FrmMain::createMenus() {
  auto popup = [](std::initializer_list<std::pair<int, int>> items) {
    HMENU m = CreatePopupMenu();
    for (const auto& [id, text] : items) {
      if (id == 0) AppendMenuW(m, MF_SEPARATOR, 0, nullptr);
      else AppendMenuW(m, MF_STRING, static_cast<UINT_PTR>(id), loadString(text).c_str());
    }
    return m;
  };
  HMENU list = popup({{mnuLstFolder, IDS_ADD_FOLDER}, {mnuLstArchive, IDS_MENU_ADD_ARCHIVE}, {0, 0},
                      {mnuLstUp, IDS_MENU_MOVE_UP}, {mnuLstDown, IDS_MENU_MOVE_DOWN},
                      {mnuLstDel, IDS_MENU_REMOVE_SOURCE}, {0, 0}, {mnuLstEnd, IDS_CLOSE}});
  HMENU types = popup({{mnuLstType0, IDS_MENU_DETAILS}, {mnuLstType1, IDS_MENU_PLAIN_LIST}});
  HMENU sort = popup({{mnuSort0, IDS_MENU_SORT_FIRST}, {mnuSort0 + 1, IDS_MENU_SORT_FIRST + 1},
                      {mnuSort0 + 2, IDS_MENU_SORT_FIRST + 2}, {mnuSort0 + 3, IDS_MENU_SORT_FIRST + 3},
                      {mnuSort0 + 4, IDS_MENU_SORT_FIRST + 4}, {mnuSort0 + 5, IDS_MENU_SORT_FIRST + 5}, {0, 0},
                      {mnuSortOrder0, IDS_MENU_ASCENDING}, {mnuSortOrder1, IDS_MENU_DESCENDING}});
  HMENU pictures = popup({{mnuPicChange, IDS_MENU_CHANGE_TO_SELECTED}, {mnuPicDel, IDS_MENU_DELETE_FILE},
                          {0, 0}, {mnuPicViewer, IDS_MENU_USE_VIEWER}, {mnuPicLstWidth, IDS_MENU_WIDEN_LIST},
                          {0, 0}});
  AppendMenuW(pictures, MF_POPUP, reinterpret_cast<UINT_PTR>(types), loadString(IDS_MENU_LIST_TYPE).c_str());
  AppendMenuW(pictures, MF_POPUP, reinterpret_cast<UINT_PTR>(sort), loadString(IDS_MENU_SORT).c_str());
  HMENU options = popup({{mnuOpOption, IDS_MENU_OPTION_SETTINGS}, {0, 0}, {mnuNoWall, IDS_MENU_NO_CHANGE}});
  HMENU help = popup({{mnuHeHelp, IDS_MENU_HELP}, {0, 0}, {mnuHomePage, IDS_MENU_HOME_PAGE}, {0, 0},
                      {mnuHeVer, IDS_MENU_ABOUT}});
  menu_ = CreateMenu();
  AppendMenuW(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(list), loadString(IDS_MENU_SOURCES).c_str());
  AppendMenuW(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(pictures), loadString(IDS_MENU_PICTURES).c_str());
  AppendMenuW(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(options), loadString(IDS_MENU_OPTIONS).c_str());
  AppendMenuW(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(help), loadString(IDS_MENU_HELP).c_str());
  SetMenu(hwnd(), menu_);
}

void FrmMain::setTexts() {
  win::setWindowText(hwnd(), loadString(IDS_MAIN_TITLE));
  const std::pair<int, int> captions[] = {
      {cmdFolder, IDS_ADD_FOLDER}, {cmdUp, IDS_MOVE_UP}, {cmdDown, IDS_MOVE_DOWN},
      {cmdDel, IDS_REMOVE_SOURCE}, {cmdArchiver, IDS_ADD_ARCHIVE}, {fraPic, IDS_PICTURE_FRAME},
      {chkViewer, IDS_USE_VIEWER}, {cmdChange, IDS_CHANGE_WALLPAPER}, {cmdEnd, IDS_CLOSE_ESC},
      {cmdFilDel, IDS_NOT_WANTED}, {fraOption, IDS_TILE_FRAME}, {optTile0, IDS_TILE_NEVER},
      {optTile1, IDS_TILE_ALWAYS}, {optTile2, IDS_TILE_AUTO}, {lblDown0, IDS_TILE_DOWN},
      {lblDown1, IDS_TILE_COUNT_UNIT}, {lblAcross0, IDS_TILE_ACROSS}, {lblAcross1, IDS_TILE_COUNT_UNIT}};
  for (const auto& [id, text] : captions) win::setWindowText(item(id), loadString(text));
  win::setWindowText(item(lblSentence), loadString(IDS_TILE_RULE_LINE1) + L"\r\n" + loadString(IDS_TILE_RULE_LINE2));

  const std::pair<int, int> tips[] = {
      {cmdWiden, IDS_WIDEN_TIP}, {lvwMain, IDS_SOURCE_LIST_TIP}, {cmdFolder, IDS_ADD_FOLDER_TIP},
      {cmdUp, IDS_MOVE_UP_TIP}, {cmdDown, IDS_MOVE_DOWN_TIP}, {cmdDel, IDS_REMOVE_SOURCE_TIP},
      {cmdArchiver, IDS_ADD_ARCHIVE_TIP}, {lvwFile, IDS_PICTURE_LIST_TIP},
      {cmdChange, IDS_CHANGE_WALLPAPER_TIP}, {cmdEnd, IDS_CLOSE_TIP}, {cmdFilDel, IDS_SHIFT_DELETES_TIP},
      {optTile0, IDS_TILE_NEVER_TIP}, {optTile1, IDS_TILE_ALWAYS_TIP}, {optTile2, IDS_TILE_AUTO_TIP},
      {txtDown, IDS_TILE_DOWN_TIP}, {txtAcross, IDS_TILE_ACROSS_TIP}, {picMain, IDS_PREVIEW_TIP}};
  for (const auto& [id, text] : tips) tips_->set(item(id), loadString(text));
  showWidenButton(IDB_WIDEN, IDS_WIDEN_TIP);
}

void FrmMain::setupPictureList() {
  const int width = factory_->pixelsX(kPictureList.width);
  constexpr DWORD extended = LVS_EX_FULLROWSELECT;
  SendMessageW(lvwFile_.hwnd(), LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
  lvwFile_.addColumn(loadString(IDS_COLUMN_NAME), width / 5 * 4, LVCFMT_LEFT);
  lvwFile_.addColumn(loadString(IDS_COLUMN_SIZE), factory_->pixelsX(1440), LVCFMT_RIGHT);
  lvwFile_.addColumn(loadString(IDS_COLUMN_TYPE), factory_->pixelsX(1440), LVCFMT_CENTER);
  lvwFile_.addColumn(loadString(IDS_COLUMN_DATE), factory_->pixelsX(1440), LVCFMT_CENTER);
  lvwFile_.addColumn(loadString(IDS_COLUMN_ATTRIBUTES), factory_->pixelsX(1440), LVCFMT_CENTER);
  lvwFile_.setView(listView_ != 0 ? LV_VIEW_LIST : LV_VIEW_DETAILS);
}

void FrmMain::setupFolderList() {
  const float width = static_cast<float>(factory_->pixelsX(kFolderList.width));
  constexpr DWORD extended = LVS_EX_FULLROWSELECT | LVS_EX_CHECKBOXES;
  SendMessageW(lvwMain_.hwnd(), LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
  if (Header_GetItemCount(ListView_GetHeader(lvwMain_.hwnd())) == 0) {
    // The type column takes a fifth; the name column what is left once the
    // vertical scroll bar has its room, so that a longer list never needs
    // a horizontal bar (which would also hide its last row).
    RECT client{};
    GetClientRect(lvwMain_.hwnd(), &client);
    const int typeWidth = static_cast<int>(width / 5);
    const int nameWidth = client.right - client.left - GetSystemMetrics(SM_CXVSCROLL) - typeWidth;
    lvwMain_.addColumn(loadString(IDS_SOURCE_COLUMN), nameWidth, LVCFMT_LEFT);
    lvwMain_.addColumn(loadString(IDS_KIND_COLUMN), typeWidth, LVCFMT_CENTER);
  }
  makeKindIcons();
}

void FrmMain::makeKindIcons() {
  const int dpi = factory_->dpi();
  const auto kinds = sourceKindRows();
  const int count = static_cast<int>(kinds.size());
  auto large = std::make_unique<win::ImageList>(32, dpi, count);
  auto small = std::make_unique<win::ImageList>(16, dpi, count);
  // An image per kind, in the kinds' order: rowIndexOf(kind) is its index.
  for (const SourceKindRow& kind : kinds) large->addBitmapResource(kind.largeIcon);
  for (const SourceKindRow& kind : kinds) small->addBitmapResource(kind.smallIcon);
  SendMessageW(lvwMain_.hwnd(), LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(large->handle()));
  SendMessageW(lvwMain_.hwnd(), LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(small->handle()));
  // The list shares its image lists: the old ones go once it holds the new.
  largeIcons_ = std::move(large);
  smallIcons_ = std::move(small);
}

}  // namespace rivano
