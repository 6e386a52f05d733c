; The setup program with pages, for people who install by hand, in German
; like the program: welcome, licence, installation folder, progress, and a
; last page that can start Kurvlux. `Kurvlux-<version>-setup.exe /S` installs
; silently. It installs where the MSI does (Program Files, for a 32-bit
; program "Program Files (x86)" on 64-bit Windows) and keeps an Uninstall
; entry of its own, under the key Kurvlux (the MSI's is under its
; ProductCode). So that a machine never shows two entries, one of them
; pointing at a removed program, the setup program removes a Kurvlux that the
; MSI installed before it installs, and the MSI refuses to install beside the
; setup program's. cmake/package_windows.cmake runs makensis (-NOCD) in the
; folder of the release files and passes the defines.
Unicode true
SetCompressor /SOLID lzma
; The time of each file comes from the release, not from the build.
SetDateSave on
!include MUI2.nsh
!include LogicLib.nsh

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

; The ProductCode of a Kurvlux that the MSI installed (any version: they share
; the UpgradeCode), found at the start; empty when there is none.
Var MsiProduct

Function .onInit
  System::Call 'msi::MsiEnumRelatedProductsW(w "{${UPGRADE_CODE}}", i 0, i 0, w .r0) i .r1'
  ${If} $1 = 0
    StrCpy $MsiProduct $0
    MessageBox MB_OKCANCEL|MB_ICONINFORMATION "Kurvlux ist bereits mit dem MSI-Paket installiert. \
      Das Setup entfernt diese Installation zuerst und installiert Kurvlux dann neu.$\r$\n$\r$\n\
      Mit Abbrechen bleibt die vorhandene Installation unverändert." /SD IDOK IDOK +2
    Abort
  ${EndIf}
FunctionEnd

Section
  SetShellVarContext all
  ${If} $MsiProduct != ""
    DetailPrint "Entferne das MSI-Paket von Kurvlux $MsiProduct"
    ExecWait '"$SYSDIR\msiexec.exe" /x $MsiProduct /qn /norestart' $0
    ; 1605: it was removed meanwhile; 3010: removed, a restart finishes it.
    ${If} $0 <> 0
    ${AndIf} $0 <> 1605
    ${AndIf} $0 <> 3010
      MessageBox MB_OK|MB_ICONSTOP "Das MSI-Paket von Kurvlux ließ sich nicht entfernen (Fehler $0). \
        Entfernen Sie Kurvlux unter „Apps & Features“ und starten Sie das Setup dann erneut." /SD IDOK
      SetErrorLevel 2
      Abort
    ${EndIf}
  ${EndIf}
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
