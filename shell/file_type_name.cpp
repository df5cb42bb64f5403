#include "shell/file_type_name.h"

#include "shell/path_parts.h"

namespace rivano {

std::wstring fileTypeName(SystemRegistry& registry, std::wstring_view path) {
  const std::wstring ext = extensionOfPath(path);
  const std::wstring typeClass = registry.readSystemText(RegRoot::classesRoot, L"." + ext, L"", ext);
  // An empty class name would open HKEY_CLASSES_ROOT itself and show
  // whatever default value the root happens to carry.
  if (typeClass.empty()) return ext;
  return registry.readSystemText(RegRoot::classesRoot, typeClass, L"", ext);
}

}  // namespace rivano
