// What every run does last, after the change: the members taken out go
// with the temporary folder, and the settings are stored as the window's
// close stores them.
#pragma once

#include <string>
#include <vector>

#include "settings/settings_layout.h"

namespace rivano {

void endRun(SettingsRegistry& registry, const std::wstring& unpackFolder, const MainExitValues& values,
            const WallList& wallList, const std::vector<std::wstring>& history);

}  // namespace rivano
