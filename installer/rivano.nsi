; The per-user setup program: installs Rivano into the user's own program
; folder without administrator rights, with a Start menu shortcut, the
; Startup shortcut the options dialog would make, and an entry among the
; installed programs; its uninstaller takes all of that away again.
;
; Built by scripts/release.sh, which passes:
;   VERSION         the program's version, as "2.05.0269"
;   FILE_VERSION    the same as four numbers, as "2.5.0.269"
;   STAGE           the folder holding the files to install and
;                   archiver_libraries.nsh (see release.sh)
;   ICON            the program's icon file
;   ESTIMATED_SIZE  the installed size in KiB
;   OUTFILE         the setup program to write
;
; Both programs take /S for a silent run. The uninstaller asks whether to
; erase the settings as well; silently it keeps them, unless
; /ERASESETTINGS is given.

Unicode true
RequestExecutionLevel user
ManifestSupportedOS all
SetCompressor /SOLID /FINAL lzma
SetDateSave on

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!ifndef VERSION
!error "VERSION is not defined (makensis -DVERSION=...)"
!endif
!ifndef FILE_VERSION
!error "FILE_VERSION is not defined (makensis -DFILE_VERSION=...)"
!endif
!ifndef STAGE
!error "STAGE is not defined (makensis -DSTAGE=...)"
!endif
; The archiver libraries of the table of kinds, written by release.sh.
!include "${STAGE}\archiver_libraries.nsh"
!ifndef ICON
!error "ICON is not defined (makensis -DICON=...)"
!endif
!ifndef ESTIMATED_SIZE
!error "ESTIMATED_SIZE is not defined (makensis -DESTIMATED_SIZE=...)"
!endif
!ifndef OUTFILE
!error "OUTFILE is not defined (makensis -DOUTFILE=...)"
!endif

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Rivano"
!define SETTINGS_KEY "Software\Velmorat\Rivano"
!define PROGRAM "Rivano.exe"

Name "Rivano"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Rivano"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Rivano ${VERSION}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${FILE_VERSION}"
VIFileVersion "${FILE_VERSION}"
VIAddVersionKey /LANG=0 "ProductName" "Rivano"
VIAddVersionKey /LANG=0 "FileDescription" "Rivano Setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "LegalCopyright" "Velmorat"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\${PROGRAM}"
!define MUI_FINISHPAGE_RUN_NOTCHECKED
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The first language is the one used where Windows speaks neither.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Japanese"

LangString SectionProgram ${LANG_ENGLISH} "Rivano"
LangString SectionProgram ${LANG_JAPANESE} "Rivano 本体"
LangString SectionStartup ${LANG_ENGLISH} "A new wallpaper at every logon (Startup shortcut)"
LangString SectionStartup ${LANG_JAPANESE} "ログオンのたびに壁紙を替える（スタートアップに登録）"
LangString AskEraseSettings ${LANG_ENGLISH} "Erase Rivano's settings too (the registered folders, the history and the options) and the wallpaper bitmap it made?$\r$\n$\r$\nChoose No to keep them for a later installation."
LangString AskEraseSettings ${LANG_JAPANESE} "Rivano の設定（登録したフォルダ、履歴、オプション）と、作った壁紙のビットマップも消去しますか？$\r$\n$\r$\n「いいえ」を選ぶと残します。もう一度インストールしたときにそのまま使えます。"


Section "$(SectionProgram)" SectionProgram
  SectionIn RO
  ClearErrors
  SetOutPath "$INSTDIR"
  File "${STAGE}\${PROGRAM}"
  !insertmacro InstallArchiverLibraries
  File "${STAGE}\Readme-ja.txt"
  File "${STAGE}\Readme-en.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  ; In a folder the user cannot write (one chosen in "Program Files") every
  ; file fails, unseen in a silent run: stop before the shortcuts and the
  ; entry would point at files that are not there, and end with exit code 2.
  ${If} ${Errors}
    Abort
  ${EndIf}

  ; SetOutPath made $INSTDIR the shortcuts' working folder.
  CreateShortcut "$SMPROGRAMS\Rivano.lnk" "$INSTDIR\${PROGRAM}" "" "$INSTDIR\${PROGRAM}" 0 SW_SHOWNORMAL

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Rivano"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Velmorat"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PROGRAM}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" ${ESTIMATED_SIZE}
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The same link as the options dialog's Startup button makes with its
; "/S" box checked, so that either one replaces the other.
Section "$(SectionStartup)" SectionStartup
  SetOutPath "$INSTDIR"
  CreateShortcut "$SMSTARTUP\Rivano.lnk" "$INSTDIR\${PROGRAM}" "/S" "$INSTDIR\${PROGRAM}" 0 SW_SHOWNORMAL
SectionEnd

Var EraseSettings

Function un.onInit
  StrCpy $EraseSettings 0
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/ERASESETTINGS" $1
  ${IfNot} ${Errors}
    StrCpy $EraseSettings 1
  ${EndIf}
FunctionEnd

; The target of the link whose path is on the stack, replaced by its
; target ("" when it cannot be read).
!define CLSID_ShellLink "{00021401-0000-0000-C000-000000000046}"
!define IID_IShellLinkW "{000214F9-0000-0000-C000-000000000046}"
!define IID_IPersistFile "{0000010B-0000-0000-C000-000000000046}"
Function un.LinkTarget
  Exch $0
  Push $1
  Push $2
  Push $3
  Push $4
  StrCpy $4 ""
  System::Call "ole32::CoCreateInstance(g '${CLSID_ShellLink}', p 0, i 1, g '${IID_IShellLinkW}', *p .r1) i .r3"
  ${If} $3 = 0
    ; IUnknown::QueryInterface
    System::Call "$1->0(g '${IID_IPersistFile}', *p .r2) i .r3"
    ${If} $3 = 0
      ; IPersistFile::Load, then IShellLinkW::GetPath with SLGP_RAWPATH
      System::Call "$2->5(w r0, i 0) i .r3"
      ${If} $3 = 0
        System::Call "$1->3(w .r4, i ${NSIS_MAX_STRLEN}, p 0, i 4) i .r3"
      ${EndIf}
      System::Call "$2->2()"
    ${EndIf}
    System::Call "$1->2()"
  ${EndIf}
  StrCpy $0 $4
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; A "Rivano.lnk" that starts another copy of the program (one unpacked
; from the zip elsewhere, say) is that copy's, and stays.
!macro DeleteOwnLink path
  Push "${path}"
  Call un.LinkTarget
  Pop $0
  ${If} $0 == "$INSTDIR\${PROGRAM}"
    Delete "${path}"
  ${EndIf}
!macroend

Section "Uninstall"
  ; No is the default answer: the settings are the user's work.
  ${If} $EraseSettings = 0
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "$(AskEraseSettings)" /SD IDNO IDNO +2
    StrCpy $EraseSettings 1
  ${EndIf}

  !insertmacro DeleteOwnLink "$SMPROGRAMS\Rivano.lnk"
  !insertmacro DeleteOwnLink "$SMSTARTUP\Rivano.lnk"
  ; The options dialog's desktop shortcut would point at nothing.
  !insertmacro DeleteOwnLink "$DESKTOP\Rivano.lnk"

  Delete "$INSTDIR\${PROGRAM}"
  !insertmacro RemoveArchiverLibraries
  Delete "$INSTDIR\Readme-ja.txt"
  Delete "$INSTDIR\Readme-en.txt"
  Delete "$INSTDIR\uninstall.exe"

  ; The program writes its bitmap and extraction folder in its own folder,
  ; or in "%LOCALAPPDATA%\Rivano" when that one cannot be written. The
  ; extraction folder is only ever a leftover. The bitmap may be the
  ; desktop's wallpaper at this moment and at the next logon, so it goes
  ; only with the settings.
  RMDir /r "$INSTDIR\UnPakTmp"
  RMDir /r "$LOCALAPPDATA\Rivano\UnPakTmp"
  ${If} $EraseSettings = 1
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    Delete "$INSTDIR\Rivano.bmp"
    Delete "$LOCALAPPDATA\Rivano\Rivano.bmp"
  ${EndIf}
  RMDir "$LOCALAPPDATA\Rivano"

  ; Last, so that an uninstall that stopped halfway can be run again.
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  RMDir "$INSTDIR"
SectionEnd
