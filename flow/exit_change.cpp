#include "flow/exit_change.h"

namespace rivano {

ExitChangeRules entryRules(const ScreenMetrics& screen, const Fitting& fitting, const WallEntry& entry) {
  return {screen, fitting.shrink, fitting.marginPercent, entry.tileOpt, entry.tileX, entry.tileY, fitting.fill};
}

void recordInHistory(std::vector<std::wstring>& history, const std::wstring& path) {
  if (history.empty() || history.back() != path) history.push_back(path);
}

void changeAndRecord(const Picture& picture, const ExitChangeRules& rules, const WallpaperTarget& target,
                     std::vector<std::wstring>& history, const std::wstring& path) {
  changeAtExit(picture, rules, target);
  recordInHistory(history, path);
}

}  // namespace rivano
