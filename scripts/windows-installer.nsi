; The Windows installer: vesper-VERSION-setup.exe puts the release folder's
; files under Program Files, adds Start-menu entries and registers its
; uninstaller, which removes exactly the files listed at build time.
; scripts/windows-build.sh compiles it with makensis and these defines:
;   VERSION   the release, "0.1"
;   STAGE     the release folder (the zip's contents), a Linux path
;   FILES     generated File lines for every file of STAGE
;   UNFILES   generated Delete and RMDir lines for the same files
;   SIZE_KB   the installed size shown by "Apps & features"
;   OUTFILE   the installer to write
; The user's settings (HKCU\Software\Tolvane\Vesper) are never touched:
; they belong to the user, and a reinstall keeps them.

; A 64-bit installer for 64-bit programs; a 32-bit one would also need
; Wine's 32-bit half, which the build machine does not have, to be tested.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh
!include x64.nsh

!define PRODUCT Vesper
!define PUBLISHER Tolvane
; In the 64-bit registry view (SetRegView 64 below, as it is for a 64-bit
; installer anyway), where Windows lists 64-bit programs.
!define UNINSTALL_KEY Software\Microsoft\Windows\CurrentVersion\Uninstall\Vesper
!define MENU_FOLDER "$SMPROGRAMS\Vesper"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
BrandingText "${PRODUCT} ${VERSION}"

; Explorer's Details tab; the fourth number is required and always 0.
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1033 ProductName "${PRODUCT}"
VIAddVersionKey /LANG=1033 CompanyName "${PUBLISHER}"
VIAddVersionKey /LANG=1033 FileDescription "${PRODUCT} ${VERSION} setup"
VIAddVersionKey /LANG=1033 FileVersion "${VERSION}"
VIAddVersionKey /LANG=1033 ProductVersion "${VERSION}"
VIAddVersionKey /LANG=1033 LegalCopyright "${PUBLISHER}"

!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\help\index.html"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Open the manual"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE English

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_ICONSTOP "${PRODUCT} needs 64-bit Windows." /SD IDOK
    Abort
  ${EndIf}
  SetRegView 64
  SetShellVarContext all
  ; An installed release is replaced where it is, not installed a second
  ; time elsewhere with the first one left behind. A folder given with /D=
  ; wins.
  ${If} $INSTDIR == "$PROGRAMFILES64\${PRODUCT}"
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" InstallLocation
    ${If} $0 != ""
      StrCpy $INSTDIR $0
    ${EndIf}
  ${EndIf}
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

; Removes the release installed in $INSTDIR with its own uninstaller, so that
; a file the new release no longer has does not stay behind unlisted. Only
; in the folder registered as ours: an uninstall.exe in any other folder may
; be another program's. _?= keeps the old uninstaller in place and waits.
Function RemovePreviousRelease
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" InstallLocation
  ${If} $0 != $INSTDIR
  ${OrIfNot} ${FileExists} "$INSTDIR\uninstall.exe"
    Return
  ${EndIf}
  DetailPrint "Removing the release installed in $INSTDIR"
  ClearErrors
  ExecWait '"$INSTDIR\uninstall.exe" /S _?=$INSTDIR' $0
  ${If} ${Errors}
  ${OrIf} $0 != 0
    DetailPrint "The installed release's uninstaller failed ($0); its files are replaced"
  ${EndIf}
  Delete "$INSTDIR\uninstall.exe"
FunctionEnd

Section Install
  Call RemovePreviousRelease
  !include "${FILES}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "${MENU_FOLDER}"
  SetOutPath "$INSTDIR"
  ; The wizard joins here: it is installed with the other files as soon as
  ; the release folder holds it, and gets its Start-menu entry.
  !if /FileExists "${STAGE}/vesper.exe"
    CreateShortcut "${MENU_FOLDER}\Vesper.lnk" "$INSTDIR\vesper.exe"
  !endif
  CreateShortcut "${MENU_FOLDER}\Vesper Manual.lnk" "$INSTDIR\help\index.html"
  CreateShortcut "${MENU_FOLDER}\Uninstall Vesper.lnk" "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayName "${PRODUCT} ${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayVersion "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" Publisher "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" InstallLocation "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" UninstallString '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" QuietUninstallString '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" EstimatedSize ${SIZE_KB}
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" NoModify 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" NoRepair 1
SectionEnd

; Only the files this release installed: a file the user put into the
; folder stays, and so does the folder holding it.
Section Uninstall
  Delete "${MENU_FOLDER}\Vesper.lnk"
  Delete "${MENU_FOLDER}\Vesper Manual.lnk"
  Delete "${MENU_FOLDER}\Uninstall Vesper.lnk"
  RMDir "${MENU_FOLDER}"

  !include "${UNFILES}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
