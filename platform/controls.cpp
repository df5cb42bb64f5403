#include "platform/controls.h"

#include <commctrl.h>
#include <imm.h>

#include <utility>

#include "common/dpi_scale.h"
#include "platform/dpi.h"

namespace rivano::win {

namespace {

// The Japanese UI font at 9 points at `dpi`.
UniqueGdiObject makeUiFont(int dpi) {
  return UniqueGdiObject(CreateFontW(-MulDiv(9, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                     DEFAULT_PITCH | FF_DONTCARE, L"MS UI Gothic"));
}

void place(HWND control, const RECT& r) {
  SetWindowPos(control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

ControlFactory::ControlFactory(HWND parent, int dpi) : parent_(parent), dpi_(dpi), font_(makeUiFont(dpi)) {}

int ControlFactory::pixelsX(int twips) const { return twipsToPixels(twips, dpi_); }
int ControlFactory::pixelsY(int twips) const { return twipsToPixels(twips, dpi_); }

RECT ControlFactory::toPixels(const TwipsRect& r) const {
  const int left = pixelsX(r.left), top = pixelsY(r.top);
  return {left, top, left + pixelsX(r.width), top + pixelsY(r.height)};
}

HWND ControlFactory::create(const wchar_t* className, DWORD style, const TwipsRect& where, int id,
                            const std::wstring& text, DWORD exStyle) const {
  const RECT r = toPixels(where);
  HWND control = CreateWindowExW(exStyle, className, text.c_str(), WS_CHILD | WS_VISIBLE | style,
                                 r.left, r.top, r.right - r.left, r.bottom - r.top, parent_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleW(nullptr), nullptr);
  if (control && font_) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  if (control) keep(control, where);
  return control;
}

void ControlFactory::keep(HWND control, const TwipsRect& where) const {
  for (Placement& p : placed_)
    if (p.control == control) {
      p.where = where;
      return;
    }
  placed_.push_back({control, where});
}

void ControlFactory::move(HWND control, const TwipsRect& where) const {
  if (!control) return;
  keep(control, where);
  place(control, toPixels(where));
}

void ControlFactory::moveTo(HWND control, int left, int top) const {
  for (const Placement& p : placed_)
    if (p.control == control) {
      move(control, {left, top, p.where.width, p.where.height});
      return;
    }
}

void ControlFactory::rescale(int dpi) {
  if (dpi <= 0) return;
  dpi_ = dpi;
  // The old font lives until no control shows it any more.
  UniqueGdiObject old = std::move(font_);
  font_ = makeUiFont(dpi);
  for (const Placement& p : placed_) {
    if (!IsWindow(p.control)) continue;
    place(p.control, toPixels(p.where));
    const auto shown = reinterpret_cast<HGDIOBJ>(SendMessageW(p.control, WM_GETFONT, 0, 0));
    if (font_ && old && shown == old.get())
      SendMessageW(p.control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
  }
}

ToolTips::ToolTips(HWND owner)
    : owner_(owner),
      tips_(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                            GetModuleHandleW(nullptr), nullptr)) {
  fitToDpi(windowDpi(owner));
}

void ToolTips::fitToDpi(int dpi) const {
  if (tips_) SendMessageW(tips_, TTM_SETMAXTIPWIDTH, 0, MulDiv(400, dpi, kBaseDpi));
}

ToolTips::~ToolTips() {
  if (tips_) DestroyWindow(tips_);
}

void withoutInputMethod(HWND edit) { ImmAssociateContext(edit, nullptr); }

void ToolTips::set(HWND control, const std::wstring& text) {
  if (!tips_ || !control) return;
  TTTOOLINFOW info{};
  info.cbSize = sizeof info;
  info.uFlags = TTF_IDISHWND;
  info.hwnd = owner_;
  info.uId = reinterpret_cast<UINT_PTR>(control);
  info.lpszText = const_cast<wchar_t*>(text.c_str());
  SendMessageW(tips_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
  SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

void ToolTips::activate(bool on) const {
  if (!tips_) return;
  if (!on) SendMessageW(tips_, TTM_POP, 0, 0);
  SendMessageW(tips_, TTM_ACTIVATE, on, 0);
}

void ToolTips::relay(const MSG& msg) const {
  if (!tips_) return;
  switch (msg.message) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      if (msg.hwnd == owner_ || IsChild(owner_, msg.hwnd))
        SendMessageW(tips_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
      return;
    default:
      return;
  }
}

std::wstring windowText(HWND hwnd) {
  const int n = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
  GetWindowTextW(hwnd, text.data(), n + 1);
  text.resize(static_cast<std::size_t>(n));
  return text;
}

void setWindowText(HWND hwnd, const std::wstring& text) { SetWindowTextW(hwnd, text.c_str()); }

bool isChecked(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void setChecked(HWND button, bool checked) {
  SendMessageW(button, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

}  // namespace rivano::win
