#include "platform/tab_strip.h"

#include <commctrl.h>

namespace rivano::win {

void TabStrip::insert(int index, const std::wstring& caption) {
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = const_cast<wchar_t*>(caption.c_str());
  SendMessageW(strip_, TCM_INSERTITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  if (index >= 0 && static_cast<std::size_t>(index) <= tips_.size())
    tips_.insert(tips_.begin() + index, std::wstring());
}

void TabStrip::setToolTip(int index, const std::wstring& text) {
  if (index < 0 || static_cast<std::size_t>(index) >= tips_.size()) return;
  tips_[static_cast<std::size_t>(index)] = text;
  placeToolTips();
}

void TabStrip::placeToolTips() const {
  // Some strips register their tabs with their tool tip themselves and ask
  // for the text; others only relay the mouse to it. The tab's own tool,
  // over the tab's rectangle, serves both.
  HWND tips = reinterpret_cast<HWND>(SendMessageW(strip_, TCM_GETTOOLTIPS, 0, 0));
  if (!tips) return;
  for (std::size_t index = 0; index < tips_.size(); ++index) {
    TTTOOLINFOW info{};
    info.cbSize = sizeof info;
    info.hwnd = strip_;
    info.uId = index;
    SendMessageW(tips, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    SendMessageW(strip_, TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&info.rect));
    info.lpszText = const_cast<wchar_t*>(tips_[index].c_str());
    SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
  }
}

int TabStrip::count() const { return static_cast<int>(SendMessageW(strip_, TCM_GETITEMCOUNT, 0, 0)); }

int TabStrip::selected() const { return static_cast<int>(SendMessageW(strip_, TCM_GETCURSEL, 0, 0)); }

void TabStrip::select(int index) {
  SendMessageW(strip_, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
  placeToolTips();
}

void TabStrip::relay(const MSG& msg) const {
  if (!strip_ || msg.hwnd != strip_ || msg.message < WM_MOUSEFIRST || msg.message > WM_MBUTTONUP) return;
  if (HWND tips = reinterpret_cast<HWND>(SendMessageW(strip_, TCM_GETTOOLTIPS, 0, 0)))
    SendMessageW(tips, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
}

bool TabStrip::answerToolTip(NMHDR& header) const {
  if (header.code != TTN_GETDISPINFOW || !strip_) return false;
  HWND tips = reinterpret_cast<HWND>(SendMessageW(strip_, TCM_GETTOOLTIPS, 0, 0));
  if (!tips || header.hwndFrom != tips) return false;
  auto& info = reinterpret_cast<NMTTDISPINFOW&>(header);
  const auto index = static_cast<std::size_t>(header.idFrom);
  if (index >= tips_.size()) return false;
  info.lpszText = const_cast<wchar_t*>(tips_[index].c_str());
  info.hinst = nullptr;
  return true;
}

}  // namespace rivano::win
