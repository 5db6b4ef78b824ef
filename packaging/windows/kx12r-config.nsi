; The installer of the Windows programs. scripts/windows.sh gives it
;   VERSION  the programs' version
;   STAGE    the folder the build installed the programs into (what the zip holds)
;   OUTFILE  the installer to write
;   LISTS    the folder with installed-files.nsh and removed-files.nsh, made from STAGE
; The uninstaller removes what the installer put there and nothing else: the service database
; the administrators edited (ProgramData\kx12r-config) and the settings files stay.
; A 64-bit installer for 64-bit programs (it also runs where Wine has no 32-bit side).
Target amd64-unicode
!include "MUI2.nsh"

!define PRODUCT "Конфигуратор KX12R"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\kx12r-config"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\kx12r-config"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ManifestDPIAware true

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Russian"

Section
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  !include "${LISTS}\installed-files.nsh"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The administrators' copy of the service database: made from the shipped one once, and kept
  ; across installs.
  CreateDirectory "$APPDATA\kx12r-config"
  IfFileExists "$APPDATA\kx12r-config\kx12rConfig.db" +2
    CopyFiles /SILENT "$INSTDIR\kx12rConfig.db" "$APPDATA\kx12r-config"

  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\kx12r-config.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT} (демонстрация).lnk" \
    "$INSTDIR\kx12r-config-demo.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Удалить ${PRODUCT}.lnk" "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  !include "${LISTS}\removed-files.nsh"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT} (демонстрация).lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Удалить ${PRODUCT}.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
