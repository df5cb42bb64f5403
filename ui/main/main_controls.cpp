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
  f.create(L"BUTTON", WS_TABSTOP | BS_BITMAP | BS_PUSHBUTTON, inPictureFrame(kWidenButton), cmdButton);
  picMain_.create(hwnd(), f, inPictureFrame(kPreview), picMain);
  f.create(L"BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX, inPictureFrame(kViewerCheck), chkViwerON);
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
    f.create(L"BUTTON", BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP | WS_TABSTOP : 0), option, optTairu0 + i);
  }
  auto below = [](TwipsRect r) { return TwipsRect{r.left, r.top + kAcrossBelowDown, r.width, r.height}; };
  // The thresholds take digits through their own key filter
  // (tile_panel.cpp), which also swallows control keys such as Ctrl+V.
  f.create(L"STATIC", SS_RIGHT | WS_GROUP, kLabelTate, lblTate0);
  f.create(L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, kDownCountBox, txtTate, {}, WS_EX_CLIENTEDGE);
  f.create(L"STATIC", 0, kLabelTateAfter, lblTate1);
  f.create(L"STATIC", SS_RIGHT, below(kLabelTate), lblYoko0);
  f.create(L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, below(kDownCountBox), txtYoko, {}, WS_EX_CLIENTEDGE);
  f.create(L"STATIC", 0, below(kLabelTateAfter), lblYoko1);
  f.create(L"STATIC", 0, kSentence, lblBun);
  for (int id : {txtTate, txtYoko}) {
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
  HMENU list = popup({{munLstFolder, 512}, {mnuLstArchive, 518}, {0, 0}, {mnuLstUp, 513},
                      {mnuLstDown, 514}, {mnuLstDel, 515}, {0, 0}, {mnuLstEnd, 204}});
  HMENU types = popup({{mnuLstType0, 553}, {mnuLstType1, 554}});
  HMENU sort = popup({{mnuSort0, 556}, {mnuSort0 + 1, 557}, {mnuSort0 + 2, 558}, {mnuSort0 + 3, 559},
                      {mnuSort0 + 4, 560}, {mnuSort0 + 5, 561}, {0, 0}, {mnuSortOrder0, 562},
                      {mnuSortOrder1, 563}});
  HMENU pictures = popup({{mnuPicChange, 522}, {mnuPicDel, 523}, {0, 0}, {mnuPicViw, 524},
                          {mnuPicLstWidth, 551}, {0, 0}});
  AppendMenuW(pictures, MF_POPUP, reinterpret_cast<UINT_PTR>(types), loadString(552).c_str());
  AppendMenuW(pictures, MF_POPUP, reinterpret_cast<UINT_PTR>(sort), loadString(555).c_str());
  HMENU options = popup({{mnuOpOption, 532}, {0, 0}, {mnuNoWall, 533}});
  HMENU help = popup({{mnuHeHelp, 541}, {0, 0}, {mnuHomePage, 542}, {0, 0}, {mnuHeVer, 543}});
  menu_ = CreateMenu();
  AppendMenuW(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(list), loadString(511).c_str());
  AppendMenuW(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(pictures), loadString(521).c_str());
  AppendMenuW(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(options), loadString(531).c_str());
  AppendMenuW(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(help), loadString(541).c_str());
  SetMenu(hwnd(), menu_);
}

void FrmMain::setTexts() {
  win::setWindowText(hwnd(), loadString(IDS_MAIN_TITLE));
  const std::pair<int, int> captions[] = {
      {cmdFolder, 512}, {cmdUp, 603},        {cmdDown, 604},      {cmdDel, 605},     {cmdArchiver, 517},
      {fraPic, 611},    {chkViwerON, 612},   {cmdChange, 613},    {cmdEnd, 614},     {cmdFilDel, 205},
      {fraOption, 621}, {optTairu0, 622},    {optTairu1, 623},    {optTairu2, 624},  {lblTate0, 625},
      {lblTate1, 626},  {lblYoko0, 627},     {lblYoko1, 626}};
  for (const auto& [id, text] : captions) win::setWindowText(item(id), loadString(text));
  win::setWindowText(item(lblBun), loadString(628) + L"\r\n" + loadString(629));

  const std::pair<int, int> tips[] = {
      {cmdButton, 667}, {lvwMain, 651},   {cmdFolder, 652},  {cmdUp, 653},      {cmdDown, 654},
      {cmdDel, 655},    {cmdArchiver, 666}, {lvwFile, 656},  {cmdChange, 657},  {cmdEnd, 658},
      {cmdFilDel, 659}, {optTairu0, 660}, {optTairu1, 661},  {optTairu2, 662},  {txtTate, 663},
      {txtYoko, 664},   {picMain, 665}};
  for (const auto& [id, text] : tips) tips_->set(item(id), loadString(text));
  showWidenButton(IDB_WIDEN, 667);
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
  lvwFile_.setView(state_.gListView != 0 ? LV_VIEW_LIST : LV_VIEW_DETAILS);
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
    lvwMain_.addColumn(loadString(601), nameWidth, LVCFMT_LEFT);
    lvwMain_.addColumn(loadString(602), typeWidth, LVCFMT_CENTER);
  }
  makeKindIcons();
}

void FrmMain::makeKindIcons() {
  const int dpi = factory_->dpi();
  auto large = std::make_unique<win::ImageList>(32, dpi, 9);
  auto small = std::make_unique<win::ImageList>(16, dpi, 9);
  // Images in the order of the kinds: DIR LZH ARJ ZIP CAB TAR TGZ BZ2 RAR.
  for (int id : {111, 112, 112, 113, 114, 114, 114, 114, 114}) large->addBitmapResource(id);
  for (int id : {121, 122, 122, 123, 124, 125, 125, 125, 126}) small->addBitmapResource(id);
  SendMessageW(lvwMain_.hwnd(), LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(large->handle()));
  SendMessageW(lvwMain_.hwnd(), LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(small->handle()));
  // The list shares its image lists: the old ones go once it holds the new.
  largeIcons_ = std::move(large);
  smallIcons_ = std::move(small);
}

}  // namespace rivano
