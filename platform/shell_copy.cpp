#include "platform/shell_copy.h"

#include <shellapi.h>

namespace rivano::win {

bool copyFileByShell(HWND owner, const std::wstring& from, const std::wstring& to) {
  // Both are lists of names ended by an empty one.
  std::wstring source = from;
  source.append(2, L'\0');
  std::wstring destination = to;
  destination.append(2, L'\0');
  SHFILEOPSTRUCTW op{};
  op.hwnd = owner;
  op.wFunc = FO_COPY;
  op.pFrom = source.c_str();
  op.pTo = destination.c_str();
  op.fFlags = 0;
  return SHFileOperationW(&op) == 0 && !op.fAnyOperationsAborted;
}

}  // namespace rivano::win
