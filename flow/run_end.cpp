#include "flow/run_end.h"

#include "platform/file_system.h"

namespace rivano {

void endRun(SettingsRegistry& registry, const std::wstring& unpackFolder, const MainExitValues& values,
            const WallList& wallList, const std::vector<std::wstring>& history) {
  // Members may sit in sub-folders of their own; everything goes, errors
  // are of no interest here.
  if (win::directoryExists(unpackFolder + L"\\")) win::removeFolderTree(unpackFolder);
  SettingsStore store(registry);
  writeMainExitValues(store, values, wallList, history);
}

}  // namespace rivano
