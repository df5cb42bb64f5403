#include "platform/folder_names.h"

#include <windows.h>
// needs windows.h first
#include <winternl.h>

#include <cstddef>
#include <cstring>

#include "platform/unique_handle.h"

extern "C" NTSTATUS NTAPI NtQueryDirectoryFile(HANDLE file, HANDLE event, PIO_APC_ROUTINE apcRoutine,
                                               PVOID apcContext, PIO_STATUS_BLOCK status, PVOID information,
                                               ULONG length, FILE_INFORMATION_CLASS informationClass,
                                               BOOLEAN returnSingleEntry, PUNICODE_STRING fileName,
                                               BOOLEAN restartScan);

namespace rivano::win {

bool folderEntryNames(const std::wstring& folder, std::vector<std::wstring>& names) {
  HANDLE opened = CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (opened == INVALID_HANDLE_VALUE) return false;
  UniqueFile directory(opened);
  // Entries are 4-byte aligned records; a large buffer takes many at once.
  std::vector<ULONG> buffer(16384);
  for (bool first = true;; first = false) {
    IO_STATUS_BLOCK io{};
    const NTSTATUS status = NtQueryDirectoryFile(directory.get(), nullptr, nullptr, nullptr, &io, buffer.data(),
                                                 static_cast<ULONG>(buffer.size() * sizeof(ULONG)),
                                                 FileNamesInformation, FALSE, nullptr, first);
    if (status == static_cast<NTSTATUS>(0x80000006L)) return true;  // STATUS_NO_MORE_FILES
    if (status < 0) return false;
    const auto* at = reinterpret_cast<const unsigned char*>(buffer.data());
    const auto* end = at + io.Information;
    for (;;) {
      FILE_NAMES_INFORMATION entry;
      const std::size_t fixed = offsetof(FILE_NAMES_INFORMATION, FileName);
      if (static_cast<std::size_t>(end - at) < fixed) return false;
      std::memcpy(&entry, at, fixed);
      if (entry.FileNameLength > static_cast<std::size_t>(end - at) - fixed) return false;
      names.emplace_back(reinterpret_cast<const wchar_t*>(at + fixed), entry.FileNameLength / sizeof(wchar_t));
      if (entry.NextEntryOffset == 0) break;
      at += entry.NextEntryOffset;
    }
  }
}

}  // namespace rivano::win
