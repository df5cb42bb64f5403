// An in-memory registry with the routines' semantics for native runs; the
// Windows build runs the same tests on the real registry instead.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "settings/registry.h"

namespace rivano::testing {

class MemoryRegistry : public Registry {
 public:
  std::wstring myRegGetString(RegRoot root, const std::wstring& key, const std::wstring& name,
                              const std::wstring& def) override;
  bool myRegSetString(RegRoot root, const std::wstring& key, const std::wstring& name,
                      const std::wstring& data) override;
  bool myRegDeleteKey(const std::wstring& key) override;
  bool myRegKeyExists(const std::wstring& base, const std::wstring& tail) override;

 private:
  static std::wstring fold(const std::wstring& s);
  std::map<std::wstring, std::map<std::wstring, std::wstring>> keys_;  // folded key -> values
};

// Passes every call on and notes it ("get WallList\List1", "set ...",
// "delete ...", "exists ..."), relative to `programKey`.
class RecordingRegistry : public Registry {
 public:
  RecordingRegistry(Registry& inner, std::wstring programKey)
      : inner_(inner), programKey_(std::move(programKey)) {}
  std::wstring myRegGetString(RegRoot root, const std::wstring& key, const std::wstring& name,
                              const std::wstring& def) override;
  bool myRegSetString(RegRoot root, const std::wstring& key, const std::wstring& name,
                      const std::wstring& data) override;
  bool myRegDeleteKey(const std::wstring& key) override;
  bool myRegKeyExists(const std::wstring& base, const std::wstring& tail) override;

  std::vector<std::wstring> calls;

 private:
  std::wstring relative(const std::wstring& key) const;
  Registry& inner_;
  std::wstring programKey_;
};

// The registry the settings tests run on, and a program key of their own so
// that they never touch the real program's settings.
std::unique_ptr<Registry> makeTestRegistry();
std::wstring testProgramKey();

}  // namespace rivano::testing
