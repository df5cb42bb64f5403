// The program's settings as the Windows tests set them up and read them
// back: its registry key, values by name, and registered picture sources.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/win32_registry.h"

namespace rivano::testing {

inline const std::wstring kProgramKey = L"Software\\Velmorat\\Rivano";
inline const std::wstring kWallList = kProgramKey + L"\\WallList";

class ProgramSettings {
 protected:
  void put(const std::wstring& key, const std::wstring& name, const std::wstring& data) {
    ASSERT_TRUE(registry.writeText(key, name, data));
  }
  std::wstring get(const std::wstring& key, const std::wstring& name) {
    return registry.readText(key, name, L"<missing>");
  }
  // The sources in this order, each checked or not.
  void registerSources(const std::vector<std::pair<std::wstring, bool>>& sources) {
    put(kWallList, L"Count", std::to_wstring(sources.size()));
    for (std::size_t i = 0; i < sources.size(); ++i) {
      put(kWallList, L"List" + std::to_wstring(i + 1), sources[i].first);
      put(kWallList, L"LSelect" + std::to_wstring(i + 1), sources[i].second ? L"True" : L"False");
    }
  }

  win::Win32Registry registry;
};

}  // namespace rivano::testing
