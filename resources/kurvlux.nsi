; The setup program with pages, for people who install by hand, in German
; like the program: welcome, licence, installation folder, progress, and a
; last page that can start Kurvlux. `Kurvlux-<version>-setup.exe /S` installs
; silently. It installs where the MSI does (Program Files, for a 32-bit
; program "Program Files (x86)" on 64-bit Windows) and registers the same
; Uninstall entry. cmake/package_windows.cmake runs makensis (-NOCD) in the folder
; of the release files and passes the defines.
Unicode true
SetCompressor /SOLID lzma
; The time of each file comes from the release, not from the build.
SetDateSave on
!include MUI2.nsh

Name "Kurvlux"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Kurvlux"
RequestExecutionLevel admin
BrandingText "Kurvlux ${VERSION}"

VIProductVersion "${VERSION_DOTTED}"
VIFileVersion "${VERSION_DOTTED}"
VIAddVersionKey /LANG=1031 ProductName "Kurvlux"
VIAddVersionKey /LANG=1031 ProductVersion "${VERSION}"
VIAddVersionKey /LANG=1031 FileVersion "${VERSION}"
VIAddVersionKey /LANG=1031 CompanyName "${VENDOR}"
VIAddVersionKey /LANG=1031 FileDescription "Kurvlux ${VERSION} Setup"
VIAddVersionKey /LANG=1031 LegalCopyright "${COPYRIGHT}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
; The progress page stays until Weiter, so what was installed can be read.
!define MUI_FINISHPAGE_NOAUTOCLOSE
!define MUI_FINISHPAGE_RUN "$INSTDIR\Kurvlux.exe"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "German"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kurvlux"

Section
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "Kurvlux.exe"
  File "README.txt"
  File "LICENSE.txt"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Kurvlux.lnk" "$INSTDIR\Kurvlux.exe" "" "$INSTDIR\Kurvlux.exe" 0 \
    SW_SHOWNORMAL "" "${SUMMARY}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayName "Kurvlux"
  WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayVersion "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" Publisher "${VENDOR}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" Comments "${SUMMARY}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" InstallLocation "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayIcon "$INSTDIR\Kurvlux.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" UninstallString '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" QuietUninstallString '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" NoModify 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" NoRepair 1
SectionEnd

Section Uninstall
  SetShellVarContext all
  Delete "$SMPROGRAMS\Kurvlux.lnk"
  Delete "$INSTDIR\Kurvlux.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
