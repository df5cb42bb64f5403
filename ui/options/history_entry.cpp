#include "ui/options/history_entry.h"

#include "engine/path_kind.h"

namespace rivano {

HistoryEntry splitHistoryEntry(const std::wstring& entry, const std::function<bool(const std::wstring&)>& isFile) {
  for (std::size_t at = entry.find(L'\\'); at != std::wstring::npos; at = entry.find(L'\\', at + 1)) {
    const std::wstring head = entry.substr(0, at);
    if (isArchive(archiveKindOf(head)) && isFile(head)) return {head, entry.substr(at + 1), true};
  }
  const std::size_t last = entry.rfind(L'\\');
  if (last == std::wstring::npos) return {L"", entry, false};
  return {entry.substr(0, last), entry.substr(last + 1), false};
}

}  // namespace rivano
