#include "platform/archiver_libraries.h"

#include <string>

#include "platform/file_system.h"

namespace rivano::win {
namespace {

struct LibraryName {
  const char* file;
  const char* prefix;
};

// Indexed by kind code; there is no library 4.
constexpr std::array<LibraryName, 8> kNames{{
    {nullptr, nullptr},
    {"unlha32", "Unlha"},
    {"unzip32", "UnZip"},
    {"unarj32j", "Unarj"},
    {nullptr, nullptr},
    {"tar32", "Tar"},
    {"cab32", "Cab"},
    {"unrar32", "Unrar"},
}};

template <typename Function>
bool resolve(HMODULE module, const char* prefix, const char* suffix, Function& out) {
  const std::string name = std::string(prefix) + suffix;
  // GetProcAddress hands out a generic pointer; the interface fixes the
  // real signature of each name.
  out = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name.c_str())));
  return out != nullptr;
}

}  // namespace

HMODULE ArchiverLibraries::loadBesideProgram(const char* name) {
  const std::wstring program = modulePath();
  const std::string file = std::string(name) + ".dll";  // plain ASCII names
  const std::wstring folder = program.substr(0, program.find_last_of(L'\\') + 1);
  const std::wstring path = folder + std::wstring(file.begin(), file.end());
  return LoadLibraryW(path.c_str());
}

const ArchiverFunctions* ArchiverLibraries::functions(int kindCode) {
  if (kindCode < 0 || kindCode >= static_cast<int>(kNames.size())) return nullptr;
  const LibraryName& name = kNames[static_cast<std::size_t>(kindCode)];
  if (name.file == nullptr) return nullptr;
  Loaded& library = libraries_[static_cast<std::size_t>(kindCode)];
  if (library.module) return &library.functions;

  UniqueModule module(load_(name.file));
  if (!module) return nullptr;
  ArchiverFunctions f{};
  const bool complete = resolve(module.get(), name.prefix, "GetVersion", f.getVersion) &&
                        resolve(module.get(), name.prefix, "", f.command) &&
                        resolve(module.get(), name.prefix, "OpenArchive", f.openArchive) &&
                        resolve(module.get(), name.prefix, "FindFirst", f.findFirst) &&
                        resolve(module.get(), name.prefix, "FindNext", f.findNext) &&
                        resolve(module.get(), name.prefix, "CloseArchive", f.closeArchive);
  if (!complete) return nullptr;
  library.module = std::move(module);
  library.functions = f;
  return &library.functions;
}

}  // namespace rivano::win
