#include "ui/main/archiver_notice.h"

#include "platform/message_box.h"
#include "platform/string_table.h"
#include "resources/resource_ids.h"

namespace rivano {

void showArchiverMissing(HWND owner) {
  win::showMessage(owner, win::loadString(IDS_NO_ARCHIVER_DLL), MB_OK | MB_ICONINFORMATION);
}

}  // namespace rivano
