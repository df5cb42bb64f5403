// The fitting tab (shrink switch and display margin with its sketch) and
// the drop tab (the tile rule of a picture given on the command line).
#include "platform/controls.h"
#include "platform/string_table.h"
#include "ui/options/frm_options.h"
#include "resources/resource_ids.h"
#include "ui/options/options_ids.h"

namespace rivano {

using namespace options_ids;

namespace {
constexpr win::TwipsRect kScreenSketch{2400, 1080, 1815, 1335};
}

void FrmOptions::chkZoomIn_Click() { EnableWindow(sldDsp_.hwnd(), win::isChecked(item(chkZoomIn))); }

void FrmOptions::sldDsp_Change() {
  const int v = sldDsp_.value();
  // The margin acts at once on every later change of this run.
  state_.marginPercent = static_cast<std::int16_t>(v);
  showMargin(v);
}

void FrmOptions::showMargin(int v) {
  const win::TwipsRect& s = kScreenSketch;
  if (v >= 0 && 20 * v < s.height) {
    const RECT inner = frameFactories_[3]->toPixels(
        {s.left + 10 * v, s.top + 10 * v, s.width - 20 * v, s.height - 20 * v});
    SetWindowPos(item(shpDspMag), nullptr, inner.left, inner.top, inner.right - inner.left,
                 inner.bottom - inner.top, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(item(shpDspSize), nullptr, FALSE);
  }
  win::setWindowText(item(lblDspMes), win::loadString(IDS_MARGIN_DISPLAY) + L"\r" + win::loadString(IDS_MARGIN_OPEN) + std::to_wstring(v) +
                                          win::loadString(IDS_MARGIN_CLOSE) + L"\r" + win::loadString(IDS_MARGIN_CORRECTED));
}

void FrmOptions::drawMarginSketch(HDC dc, const RECT& screen) {
  FillRect(dc, &screen, GetSysColorBrush(COLOR_DESKTOP));
  RECT inner{};
  GetWindowRect(item(shpDspMag), &inner);
  MapWindowPoints(nullptr, item(shpDspSize), reinterpret_cast<POINT*>(&inner), 2);
  FrameRect(dc, &inner, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
}

void FrmOptions::tileModeButton_Click(int index) {
  dropOption_ = static_cast<std::int16_t>(index);
  const bool automatic = index == 2;
  for (int id : {downCountBox, acrossCountBox, downLabel, downUnitLabel, acrossLabel, acrossUnitLabel, tileRuleLabel})
    EnableWindow(item(id), automatic);
}

}  // namespace rivano
