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

HRESULT openLink(const std::wstring& path, LinkObject& o) {
  HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, o.link.putVoid());
  if (FAILED(hr)) return hr;
  hr = o.link->QueryInterface(IID_IPersistFile, o.file.putVoid());
  if (FAILED(hr)) return hr;
  if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)
    o.loaded = SUCCEEDED(o.file->Load(path.c_str(), STGM_READ));
  return S_OK;
}

}  // namespace

HRESULT saveShellLink(const std::wstring& linkPath, const ShellLinkFields& f) {
  LinkObject o;
  HRESULT hr = openLink(linkPath, o);
  if (FAILED(hr)) return hr;
  IShellLinkW& link = *o.link.get();
  if (FAILED(hr = link.SetPath(f.target.c_str()))) return hr;
  if (f.workingFolder && FAILED(hr = link.SetWorkingDirectory(f.workingFolder->c_str()))) return hr;
  if (FAILED(hr = link.SetShowCmd(f.showCommand))) return hr;
  if (FAILED(hr = link.SetIconLocation(f.iconFile.c_str(), 0))) return hr;
  if (f.arguments && FAILED(hr = link.SetArguments(f.arguments->c_str()))) return hr;
  hr = o.file->Save(linkPath.c_str(), TRUE);
  return FAILED(hr) ? hr : S_OK;
}

std::optional<ShellLinkFields> readShellLink(const std::wstring& linkPath) {
  LinkObject o;
  if (FAILED(openLink(linkPath, o)) || !o.loaded) return std::nullopt;
  IShellLinkW& link = *o.link.get();
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
  if (FAILED(SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path))) {
    // Named all the same, so that a failure to write into it can say where.
    path[0] = L'\0';
    if (FAILED(SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_DONT_VERIFY, nullptr, SHGFP_TYPE_CURRENT, path)))
      path[0] = L'\0';
  }
  std::wstring folder = path;
  while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  return folder;
}

}  // namespace rivano::win
