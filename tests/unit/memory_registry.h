// An in-memory registry with the routines' semantics for native runs; the
// Windows build runs the same tests on the real registry instead. Like the
// real one it serves both the settings and the system's values: the
// current user's keys are one tree, the classes root another.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/system_registry.h"
#include "settings/settings_registry.h"

namespace rivano::testing {

class MemoryRegistry : public SettingsRegistry, public SystemRegistry {
 public:
  std::wstring readText(const std::wstring& key, const std::wstring& name,
                        const std::wstring& def) override;
  bool writeText(const std::wstring& key, const std::wstring& name,
                 const std::wstring& data) override;
  bool deleteKey(const std::wstring& key) override;
  bool keyExists(const std::wstring& base, const std::wstring& tail) override;

  std::wstring readSystemText(RegRoot root, const std::wstring& key, const std::wstring& name,
                              const std::wstring& def) override;
  bool writeSystemText(RegRoot root, const std::wstring& key, const std::wstring& name,
                       const std::wstring& data) override;

  // Every key of the current user with its values, names folded: two
  // registries that compare equal hold the same settings.
  using Contents = std::map<std::wstring, std::map<std::wstring, std::wstring>>;
  const Contents& contents() const { return keys_; }

 private:
  static std::wstring fold(const std::wstring& s);
  static std::wstring read(const Contents& tree, const std::wstring& key, const std::wstring& name,
                           const std::wstring& def);
  static void write(Contents& tree, const std::wstring& key, const std::wstring& name,
                    const std::wstring& data);
  Contents& tree(RegRoot root) { return root == RegRoot::classesRoot ? classes_ : keys_; }
  Contents keys_;     // folded key -> values, HKEY_CURRENT_USER
  Contents classes_;  // the same for HKEY_CLASSES_ROOT
};

// Lets the first `writes` sets and deletes through; then, as a process
// killed at that moment, throws Killed at the next one, or, as a registry
// that refuses writes, lets every later one fail. Reads always pass.
class CutOffRegistry : public SettingsRegistry {
 public:
  enum class Mode { kill, refuse };
  struct Killed {};
  CutOffRegistry(SettingsRegistry& inner, std::size_t writes, Mode mode)
      : inner_(inner), writesLeft_(writes), mode_(mode) {}
  std::wstring readText(const std::wstring& key, const std::wstring& name,
                        const std::wstring& def) override;
  bool writeText(const std::wstring& key, const std::wstring& name,
                 const std::wstring& data) override;
  bool deleteKey(const std::wstring& key) override;
  bool keyExists(const std::wstring& base, const std::wstring& tail) override;
  // False once a write was stopped.
  bool ranThrough() const { return !cut_; }

 private:
  bool mayWrite();
  SettingsRegistry& inner_;
  std::size_t writesLeft_;
  Mode mode_;
  bool cut_ = false;
};

// Passes every call on and notes it ("get WallList\List1", "set ...",
// "delete ...", "exists ..."), relative to `programKey`.
class RecordingRegistry : public SettingsRegistry {
 public:
  RecordingRegistry(SettingsRegistry& inner, std::wstring programKey)
      : inner_(inner), programKey_(std::move(programKey)) {}
  std::wstring readText(const std::wstring& key, const std::wstring& name,
                        const std::wstring& def) override;
  bool writeText(const std::wstring& key, const std::wstring& name,
                 const std::wstring& data) override;
  bool deleteKey(const std::wstring& key) override;
  bool keyExists(const std::wstring& base, const std::wstring& tail) override;

  std::vector<std::wstring> calls;

 private:
  std::wstring relative(const std::wstring& key) const;
  SettingsRegistry& inner_;
  std::wstring programKey_;
};

// The registry the settings tests run on, and a program key of their own so
// that they never touch the real program's settings.
std::unique_ptr<SettingsRegistry> makeTestRegistry();
std::wstring testProgramKey();

}  // namespace rivano::testing
