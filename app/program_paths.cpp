#include "app/program_paths.h"

namespace rivano {

std::wstring appPathFromModule(std::wstring_view modulePath) {
  const std::size_t slash = modulePath.find_last_of(L'\\');
  std::wstring folder(slash == std::wstring_view::npos ? std::wstring_view{} : modulePath.substr(0, slash));
  if (folder.empty() || folder.back() != L'\\') folder += L'\\';
  return folder;
}

}  // namespace rivano
