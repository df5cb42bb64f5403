#include "platform/shell_link.h"

#include <windows.h>
// needs windows.h first
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "platform/unique_handle.h"

namespace rivano::win {
namespace {

// The link object and its file, opened on an existing link when there is one.
struct LinkObject {
  ComPtr<IShellLinkW> link;
  ComPtr<IPersistFile> file;
  bool loaded = false;
};

std::optional<LinkObject> openLink(const std::wstring& path) {
  LinkObject o;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, o.link.putVoid())))
    return std::nullopt;
  if (FAILED(o.link->QueryInterface(IID_IPersistFile, o.file.putVoid()))) return std::nullopt;
  if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)
    o.loaded = SUCCEEDED(o.file->Load(path.c_str(), STGM_READ));
  return o;
}

}  // namespace

bool saveShellLink(const std::wstring& linkPath, const ShellLinkFields& f) {
  auto o = openLink(linkPath);
  if (!o) return false;
  IShellLinkW& link = *o->link.get();
  if (FAILED(link.SetPath(f.target.c_str()))) return false;
  if (f.workingFolder && FAILED(link.SetWorkingDirectory(f.workingFolder->c_str()))) return false;
  if (FAILED(link.SetShowCmd(f.showCommand))) return false;
  if (FAILED(link.SetIconLocation(f.iconFile.c_str(), 0))) return false;
  if (f.arguments && FAILED(link.SetArguments(f.arguments->c_str()))) return false;
  return SUCCEEDED(o->file->Save(linkPath.c_str(), TRUE));
}

std::optional<ShellLinkFields> readShellLink(const std::wstring& linkPath) {
  auto o = openLink(linkPath);
  if (!o || !o->loaded) return std::nullopt;
  IShellLinkW& link = *o->link.get();
  ShellLinkFields f;
  wchar_t buffer[MAX_PATH * 2] = {};
  link.GetPath(buffer, MAX_PATH * 2, nullptr, SLGP_RAWPATH);
  f.target = buffer;
  buffer[0] = 0;
  link.GetWorkingDirectory(buffer, MAX_PATH * 2);
  f.workingFolder = std::wstring(buffer);
  link.GetShowCmd(&f.showCommand);
  buffer[0] = 0;
  int icon = 0;
  link.GetIconLocation(buffer, MAX_PATH * 2, &icon);
  f.iconFile = buffer;
  buffer[0] = 0;
  link.GetArguments(buffer, MAX_PATH * 2);
  f.arguments = std::wstring(buffer);
  return f;
}

std::wstring userFolder(UserFolder which) {
  wchar_t path[MAX_PATH] = {};
  const int csidl = which == UserFolder::startup ? CSIDL_STARTUP : CSIDL_DESKTOPDIRECTORY;
  if (FAILED(SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
  std::wstring folder = path;
  while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  return folder;
}

}  // namespace rivano::win
