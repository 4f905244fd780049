; The Windows installer of Vantrolix, made by scripts/package-windows with NSIS:
;   makensis -DVERSION=0.10 -DSTAGE=<folder> -DOUTFILE=<setup.exe> vantrolix.nsi
; STAGE holds vantrolix.exe, vantrolix-cli.exe, LICENSE.txt and examples\, and files.nsh, which
; names each example for the install and again for the uninstall: the uninstaller removes what
; this installer put there and nothing else (a script saved among the examples stays, and so does
; the folder holding it). The user's settings (HKCU\Software\Vantrolix) and recorded sessions
; (%LOCALAPPDATA%\Vantrolix) are the user's, made by the program, and are kept.
; "setup.exe /S" installs silently; "uninstall.exe /S" removes silently.

; A 64-bit installer for the 64-bit programs: it writes the 64-bit registry and Program Files,
; and runs where they run (Wine's wine64 included, which cannot start 32-bit programs).
Target amd64-unicode
SetCompressor /SOLID lzma
!include "MUI2.nsh"
!include "${STAGE}\files.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantrolix"

Name "Vantrolix ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Vantrolix"
RequestExecutionLevel admin
ManifestDPIAware true

!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\vantrolix.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; The Start-menu entry is for every user of the machine, as Program Files is.
Function .onInit
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetShellVarContext all
FunctionEnd

Section "Vantrolix"
  SetOutPath "$INSTDIR"
  File "${STAGE}\vantrolix.exe"
  File "${STAGE}\vantrolix-cli.exe"
  File "${STAGE}\LICENSE.txt"
  SetOutPath "$INSTDIR\examples"
  !insertmacro InstallExamples
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Vantrolix.lnk" "$INSTDIR\vantrolix.exe" "" "$INSTDIR\vantrolix.exe" 0 \
    SW_SHOWNORMAL "" "Send commands to RS-232 controlled audio/video devices and log their answers"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Vantrolix"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "The Vantrolix developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vantrolix.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  Delete "$SMPROGRAMS\Vantrolix.lnk"
  !insertmacro RemoveExamples
  RMDir "$INSTDIR\examples"
  Delete "$INSTDIR\vantrolix.exe"
  Delete "$INSTDIR\vantrolix-cli.exe"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
