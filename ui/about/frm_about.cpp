#include "ui/about/frm_about.h"

#include <windows.h>

#include <vector>

#include "app/version_text.h"
#include "common/dpi_scale.h"
#include "platform/dialog_keys.h"
#include "platform/dpi.h"
#include "platform/face_bitmap.h"
#include "platform/string_table.h"
#include "resources/resource_ids.h"
#include "shell/shell_helpers.h"
#include "ui/about/about_ids.h"

namespace rivano {

using namespace about_ids;
using win::loadString;
using win::TwipsRect;

namespace {

constexpr int kWidthTwips = 5640;
constexpr int kHeightTwips = 3240;
constexpr TwipsRect kPicture{240, 240, 1200, 1200};
constexpr TwipsRect kTitle{1560, 300, 3840, 420};
constexpr int kShadowOffset = 15;
constexpr TwipsRect kDescription{1560, 840, 3840, 1320};
constexpr TwipsRect kOk{4320, 2280, 1095, 375};
constexpr COLORREF kLinkBlue = 0xFF0000;  // blue, in blue-green-red order
constexpr COLORREF kShadow = RGB(192, 192, 192);
constexpr COLORREF kMaskColour = RGB(0, 255, 0);
constexpr const wchar_t* kUrlLine = L"    URL";

}  // namespace

std::wstring programVersionText() {
  std::vector<wchar_t> path(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) break;
    path.resize(path.size() * 2);
  }
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.data(), &ignored);
  if (size == 0) return {};
  std::vector<unsigned char> block(size);
  if (!GetFileVersionInfoW(path.data(), 0, size, block.data())) return {};
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info ||
      length < sizeof(VS_FIXEDFILEINFO))
    return {};
  // Of 2.5.0.269 the third number is not shown.
  return versionText(loadString(IDS_VERSION_PREFIX), loadString(IDS_VERSION_DOT), HIWORD(info->dwFileVersionMS),
                     LOWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionLS));
}

FrmAbout::FrmAbout(const ProgramState& state) : state_(state) {}

FrmAbout::~FrmAbout() = default;

void FrmAbout::showModal(HWND owner) {
  owner_ = owner;
  load();
  if (!hwnd()) return;
  EnableWindow(owner_, FALSE);
  ShowWindow(hwnd(), SW_SHOWNORMAL);
  SetForegroundWindow(hwnd());
  SetFocus(item(cmdOK));
  win::runModalLoop(hwnd(), done_, [this](MSG& msg) {
    watchMouse(msg);
    return false;
  });
  if (hwnd()) zoom(false);
  EnableWindow(owner_, TRUE);
  if (hwnd()) {
    SetActiveWindow(owner_);
    destroy();
  }
}

void FrmAbout::load() {
  CreateArgs args;
  args.className = L"RivanoAbout";
  args.style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  args.exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  args.parent = owner_;
  // At the owner's DPI: the dialog opens over it.
  const int dpi = win::windowDpi(owner_);
  args.width = twipsToPixels(kWidthTwips, dpi);
  args.height = twipsToPixels(kHeightTwips, dpi);
  args.x = 0;
  args.y = 0;
  // The caption comes with the window.
  args.title = loadString(IDS_ABOUT_TITLE);
  if (!create(args)) return;
  createControls();
  placeCentred();
  zoom(true);
}

void FrmAbout::createControls() {
  factory_ = std::make_unique<win::ControlFactory>(hwnd(), win::windowDpi(hwnd()));
  const win::ControlFactory& f = *factory_;
  // The version, from the program file itself.
  const std::wstring version = programVersionText();
  f.create(L"STATIC", SS_BITMAP, kPicture, imgRivano);
  showPicture();
  // The title twice, 15 twips apart and both transparent: the light one
  // and the default-coloured one together make the shadowed title.
  const std::wstring title = loadString(IDS_ABOUT_HEADING);
  const TwipsRect front{kTitle.left + kShadowOffset, kTitle.top + kShadowOffset, kTitle.width, kTitle.height};
  f.create(L"STATIC", SS_LEFT | SS_NOPREFIX, front, lblTitle1, title);
  HWND title0 = f.create(L"STATIC", SS_LEFT | SS_NOPREFIX, kTitle, lblTitle0, title);
  SetWindowPos(title0, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  // The description; its first line is empty.
  const std::wstring description = L"\r    " + title + L"  " + version + L"\r" + kUrlLine + L"\r    " +
                                   loadString(IDS_LICENSED_TO) + logonUserName();
  // The link lies inside the description's rectangle, above it: clipped,
  // the description never paints over the link.
  f.create(L"STATIC", SS_LEFT | SS_NOPREFIX | SS_NOTIFY | WS_CLIPSIBLINGS, kDescription, lblDescription, description);
  HWND link = f.create(L"STATIC", SS_LEFT | SS_NOPREFIX | SS_NOTIFY | WS_CLIPSIBLINGS, kDescription, lblURL,
                       loadString(IDS_HOME_PAGE));
  SetWindowPos(link, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  makeFonts();
  placeLink();
  linkCursor_ = LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_LINK));
  // OK: both default and cancel button (its number is the dialog's OK).
  f.create(L"BUTTON", WS_TABSTOP | BS_DEFPUSHBUTTON, kOk, cmdOK, loadString(IDS_OK));
}

void FrmAbout::showPicture() {
  // Its background is the image lists' mask colour; here nothing masks it.
  win::UniqueGdiObject picture = win::loadBitmapOnFace(
      GetModuleHandleW(nullptr), win::bitmapIdForDpi(IDB_ABOUT, factory_->dpi()), kMaskColour,
      GetSysColor(COLOR_BTNFACE));
  if (!picture) return;
  SendMessageW(item(imgRivano), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture.get()));
  // The control shows the new picture before the old one goes.
  picture_ = std::move(picture);
}

void FrmAbout::makeFonts() {
  win::UniqueGdiObject title(CreateFontW(-factory_->pixelsY(300), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE,
                                         DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                         FIXED_PITCH | FF_MODERN, nullptr));
  for (int id : {lblTitle0, lblTitle1})
    SendMessageW(item(id), WM_SETFONT, reinterpret_cast<WPARAM>(title.get()), TRUE);
  titleFont_ = std::move(title);
  LOGFONTW logical{};
  GetObjectW(factory_->font(), sizeof logical, &logical);
  logical.lfUnderline = TRUE;
  win::UniqueGdiObject link(CreateFontIndirectW(&logical));
  if (linkHover_) SendMessageW(item(lblURL), WM_SETFONT, reinterpret_cast<WPARAM>(link.get()), TRUE);
  linkFont_ = std::move(link);
}

void FrmAbout::placeLink() {
  // The link beside the line "URL" of the description.
  HWND text = item(lblDescription);
  int lineHeight = 16;
  SIZE urlWidth{};
  if (HDC dc = GetDC(text)) {
    HGDIOBJ old = SelectObject(dc, factory_->font());
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    lineHeight = metrics.tmHeight;
    const std::wstring label = std::wstring(kUrlLine) + L"  ";
    GetTextExtentPoint32W(dc, label.c_str(), static_cast<int>(label.size()), &urlWidth);
    SelectObject(dc, old);
    ReleaseDC(text, dc);
  }
  const RECT d = factory_->toPixels(kDescription);
  SetWindowPos(item(lblURL), nullptr, d.left + urlWidth.cx, d.top + 2 * lineHeight, d.right - d.left - urlWidth.cx,
               lineHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

void FrmAbout::placeCentred() {
  // In twips, each difference a whole number halved by integer division.
  RECT outer{};
  GetWindowRect(hwnd(), &outer);
  const std::int32_t heightTwips = (outer.bottom - outer.top) * state_.screen.twipsPerPixelY;
  const std::int32_t widthTwips = (outer.right - outer.left) * state_.screen.twipsPerPixelX;
  const std::int32_t top = (state_.screen.twips.height - heightTwips) / 2;
  const std::int32_t left = (state_.screen.twips.width - widthTwips) / 2;
  SetWindowPos(hwnd(), nullptr, left / state_.screen.twipsPerPixelX, top / state_.screen.twipsPerPixelY, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FrmAbout::zoom(bool opening) {
  RECT window{};
  GetWindowRect(hwnd(), &window);
  const RECT corner{0, 0, 0, 0};
  DrawAnimatedRects(hwnd(), IDANI_CAPTION, opening ? &corner : &window, opening ? &window : &corner);
}

void FrmAbout::setLinkHover(bool over) {
  if (linkHover_ == over) return;
  linkHover_ = over;
  HWND link = item(lblURL);
  SendMessageW(link, WM_SETFONT, reinterpret_cast<WPARAM>(over ? linkFont_.get() : factory_->font()), TRUE);
  InvalidateRect(link, nullptr, TRUE);
}

void FrmAbout::watchMouse(const MSG& msg) {
  if (msg.message != WM_MOUSEMOVE || !hwnd()) return;
  if (msg.hwnd == item(lblURL)) setLinkHover(true);
  else if (msg.hwnd == item(lblDescription)) setLinkHover(false);
}

LRESULT FrmAbout::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (id == cmdOK || id == IDCANCEL) done_ = true;
      else if (id == lblURL && HIWORD(wParam) == STN_CLICKED) openHomePage();
      return 0;
    }
    case WM_CTLCOLORSTATIC: {
      auto dc = reinterpret_cast<HDC>(wParam);
      const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
      if (id == lblTitle0 || id == lblTitle1) {
        // Transparent, so that the two overlapping titles both show.
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, id == lblTitle0 ? kShadow : GetSysColor(COLOR_WINDOWTEXT));
        return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
      }
      if (id == lblURL) {
        SetTextColor(dc, linkHover_ ? kLinkBlue : RGB(0, 0, 0));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      }
      break;
    }
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wParam) == item(lblURL) && linkCursor_) {
        SetCursor(linkCursor_);
        return TRUE;
      }
      break;
    case WM_CLOSE:
      done_ = true;
      return 0;
    case win::kDpiChangedMessage:
      onDpiChanged(wParam, lParam);
      return 0;
  }
  return defaultHandling(message, wParam, lParam);
}

}  // namespace rivano
