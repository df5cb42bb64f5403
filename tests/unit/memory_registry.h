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

  // Every key with its values, names folded: two registries that compare
  // equal hold the same settings.
  using Contents = std::map<std::wstring, std::map<std::wstring, std::wstring>>;
  const Contents& contents() const { return keys_; }

 private:
  static std::wstring fold(const std::wstring& s);
  Contents keys_;  // folded key -> values
};

// Lets the first `writes` sets and deletes through; then, as a process
// killed at that moment, throws Killed at the next one, or, as a registry
// that refuses writes, lets every later one fail. Reads always pass.
class CutOffRegistry : public Registry {
 public:
  enum class Mode { kill, refuse };
  struct Killed {};
  CutOffRegistry(Registry& inner, std::size_t writes, Mode mode)
      : inner_(inner), writesLeft_(writes), mode_(mode) {}
  std::wstring myRegGetString(RegRoot root, const std::wstring& key, const std::wstring& name,
                              const std::wstring& def) override;
  bool myRegSetString(RegRoot root, const std::wstring& key, const std::wstring& name,
                      const std::wstring& data) override;
  bool myRegDeleteKey(const std::wstring& key) override;
  bool myRegKeyExists(const std::wstring& base, const std::wstring& tail) override;
  // False once a write was stopped.
  bool ranThrough() const { return !cut_; }

 private:
  bool mayWrite();
  Registry& inner_;
  std::size_t writesLeft_;
  Mode mode_;
  bool cut_ = false;
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
