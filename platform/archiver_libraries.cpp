#include "platform/archiver_libraries.h"

#include <string>

#include "engine/source_kind.h"
#include "platform/file_system.h"

namespace rivano::win {
namespace {

template <typename Function>
bool resolve(HMODULE module, std::string_view prefix, const char* suffix, Function& out) {
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

const ArchiverFunctions* ArchiverLibraries::functions(int libraryCode) {
  const ArchiverLibrary* name = libraryWithCode(libraryCode);
  if (name == nullptr) return nullptr;
  Loaded& library = libraries_[static_cast<std::size_t>(name - archiverLibraries().data())];
  if (library.module) return &library.functions;

  UniqueModule module(load_(std::string(name->file).c_str()));
  if (!module) return nullptr;
  ArchiverFunctions f{};
  const bool complete = resolve(module.get(), name->prefix, "GetVersion", f.getVersion) &&
                        resolve(module.get(), name->prefix, "", f.command) &&
                        resolve(module.get(), name->prefix, "OpenArchive", f.openArchive) &&
                        resolve(module.get(), name->prefix, "FindFirst", f.findFirst) &&
                        resolve(module.get(), name->prefix, "FindNext", f.findNext) &&
                        resolve(module.get(), name->prefix, "CloseArchive", f.closeArchive);
  if (!complete) return nullptr;
  library.module = std::move(module);
  library.functions = f;
  return &library.functions;
}

}  // namespace rivano::win
