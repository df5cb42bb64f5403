// The start-up options tab: minimised start, quitting by itself after a
// time, and the automatic change switched off at once.
#include "platform/controls.h"
#include "platform/string_table.h"
#include "resources/resource_ids.h"
#include "ui/options/frm_options.h"
#include "ui/options/options_ids.h"

namespace rivano {

using namespace options_ids;

void FrmOptions::chkTimeOut_Click() { EnableWindow(item(chkActive), win::isChecked(item(chkTimeOut))); }

void FrmOptions::sldTimeInt_Scroll() {
  win::setWindowText(item(lblTimeInt), std::to_wstring(sldTimeInt_.value()) + win::loadString(IDS_SECONDS_UNIT));
}

void FrmOptions::noChangeCheckBox_Click() {
  if (host_.setNoWall) host_.setNoWall(win::isChecked(item(noChangeCheckBox)));
}

}  // namespace rivano
