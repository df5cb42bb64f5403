// The system libraries only the windows need, loaded at the first call into
// them instead of when the program starts. The logon run calls neither the
// shell, nor OLE, nor the common controls and dialogs; and under Wine merely
// loading the common controls starts the display and the theme, which
// would cost that run more than all of its own work.
//
// Every such function is called through its import slot, "__imp__Name@N"
// (or through "_Name@N", which jumps through that slot, where a header does
// not declare the function imported). Each slot starts out pointing at
// a small stub that loads the library, finds the function, puts it in the
// slot, and jumps to it with the caller's arguments untouched; from then on
// calls go straight to the function. A function missing from this table
// fails the link, since the program links no import library of these.
// None of these libraries is one Windows always takes from its own folder,
// so each comes from the system folder by name, never from beside the
// program.
#include <windows.h>

#include <string>

#include "platform/system_libraries.h"

extern "C" {

struct RivanoDelayedImport {
  const char* library;
  const char* function;
  void** slot;
};

// Called by the stubs with the entry of the function wanted; returns it.
void* rivano_resolve_import(RivanoDelayedImport* import) {
  const std::string name(import->library);  // plain ASCII file names
  HMODULE library = rivano::win::loadSystemLibrary(std::wstring(name.begin(), name.end()));
  FARPROC function = library ? GetProcAddress(library, import->function) : nullptr;
  // A system library without one of its functions leaves nothing sensible to do.
  if (!function) FatalAppExitA(0, import->function);
  void* address = reinterpret_cast<void*>(function);
  *import->slot = address;
  return address;
}

}  // extern "C"

// library: the DLL's file name; bytes: the stdcall arguments' size, as in
// the decorated name.
#define RIVANO_DELAYED(library, function, bytes)                                                   \
  extern "C" void rivano_stub_##function();                                                        \
  extern "C" void* rivano_slot_##function __asm__("__imp__" #function "@" #bytes);               \
  void* rivano_slot_##function = reinterpret_cast<void*>(&rivano_stub_##function);                \
  extern "C" RivanoDelayedImport rivano_import_##function;                                         \
  RivanoDelayedImport rivano_import_##function{library, #function, &rivano_slot_##function};       \
  __asm__(".text\n"                                                                                \
          "_rivano_stub_" #function ":\n"                                                          \
          "  pushl $_rivano_import_" #function "\n"                                                \
          "  call _rivano_resolve_import\n"                                                        \
          "  addl $4, %esp\n"                                                                      \
          "  jmp *%eax\n"                                                                          \
          ".globl _" #function "@" #bytes "\n"                                                     \
          "_" #function "@" #bytes ":\n"                                                          \
          "  jmp *__imp__" #function "@" #bytes "\n");

RIVANO_DELAYED("comctl32.dll", ImageList_AddMasked, 12)
RIVANO_DELAYED("comctl32.dll", ImageList_Create, 20)
RIVANO_DELAYED("comctl32.dll", ImageList_Destroy, 4)
RIVANO_DELAYED("comctl32.dll", InitCommonControlsEx, 4)
RIVANO_DELAYED("comdlg32.dll", GetOpenFileNameW, 4)
RIVANO_DELAYED("imm32.dll", ImmAssociateContext, 8)
RIVANO_DELAYED("ole32.dll", CoCreateInstance, 20)
RIVANO_DELAYED("ole32.dll", CoInitialize, 4)
RIVANO_DELAYED("ole32.dll", CoTaskMemFree, 4)
RIVANO_DELAYED("ole32.dll", CoUninitialize, 0)
RIVANO_DELAYED("ole32.dll", CreateStreamOnHGlobal, 12)
RIVANO_DELAYED("ole32.dll", DoDragDrop, 16)
RIVANO_DELAYED("ole32.dll", OleInitialize, 4)
RIVANO_DELAYED("ole32.dll", OleUninitialize, 0)
RIVANO_DELAYED("ole32.dll", RegisterDragDrop, 8)
RIVANO_DELAYED("ole32.dll", ReleaseStgMedium, 4)
RIVANO_DELAYED("ole32.dll", RevokeDragDrop, 4)
RIVANO_DELAYED("oleaut32.dll", OleLoadPicture, 20)
RIVANO_DELAYED("shell32.dll", DragQueryFileW, 16)
RIVANO_DELAYED("shell32.dll", SHBrowseForFolderW, 4)
RIVANO_DELAYED("shell32.dll", SHCreateStdEnumFmtEtc, 12)
RIVANO_DELAYED("shell32.dll", SHFileOperationW, 4)
RIVANO_DELAYED("shell32.dll", SHGetFolderPathW, 20)
RIVANO_DELAYED("shell32.dll", SHGetPathFromIDListW, 8)
RIVANO_DELAYED("shell32.dll", ShellExecuteW, 24)
RIVANO_DELAYED("version.dll", GetFileVersionInfoSizeW, 8)
RIVANO_DELAYED("version.dll", GetFileVersionInfoW, 16)
RIVANO_DELAYED("version.dll", VerQueryValueW, 16)
