; Heliora's Windows installer, made on Debian by scripts/windows.sh with NSIS:
;
;   makensis -DVERSION=1.0.0 -DSTAGE=DIR -DICON=FILE.ico -DOUTFILE=heliora-setup.exe heliora.nsi
;
; STAGE holds what the zip holds (the two programs, the eleven pictures and
; README.txt). It installs for the current user alone, without administrator
; rights, into %LOCALAPPDATA%\Programs\Heliora, with a Start menu shortcut and
; an entry under Settings > Apps. /S installs, and uninstalls, silently.
;
; Installing again replaces the programs and the readme but keeps every
; picture already there: a user's own map saved under a body's name stays.
; The uninstaller removes the files it knows by name, its shortcut and its
; registry key, and the folder only when nothing else is left in it.

Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include MUI2.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Heliora"
!define PUBLISHER "Heliora team"

Name "Heliora"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Heliora"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Heliora ${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_WELCOMEPAGE_TEXT "Setup will install Heliora, a small solar-system viewer, for you alone, in your own programs folder; it needs no administrator rights.$\r$\n$\r$\nInstalling again over an installed copy keeps the pictures already there.$\r$\n$\r$\nClick Install to start the installation."
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start Heliora"
!define MUI_FINISHPAGE_RUN_FUNCTION StartViewer
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "Heliora"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "Heliora Setup"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

; The viewer reads its pictures from the folder it is started in.
Function StartViewer
  SetOutPath "$INSTDIR"
  Exec '"$INSTDIR\heliora.exe"'
FunctionEnd

Section "Heliora" SectionHeliora
  SetOutPath "$INSTDIR"
  SetOverwrite on
  File "${STAGE}/heliora.exe"
  File "${STAGE}/heliora-pictures.exe"
  File "${STAGE}/README.txt"
  SetOverwrite off
  File "${STAGE}/Sun.bmp"
  File "${STAGE}/Mercury.bmp"
  File "${STAGE}/Venus.bmp"
  File "${STAGE}/earth.bmp"
  File "${STAGE}/Moon.bmp"
  File "${STAGE}/Mars.bmp"
  File "${STAGE}/Jupiter.bmp"
  File "${STAGE}/Saturn.bmp"
  File "${STAGE}/Uranus.bmp"
  File "${STAGE}/Neptune.bmp"
  File "${STAGE}/pluto.bmp"
  SetOverwrite on
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The shortcut's working folder is the output folder: the install folder.
  CreateShortcut "$SMPROGRAMS\Heliora.lnk" "$INSTDIR\heliora.exe"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Heliora"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\heliora.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  SectionGetSize ${SectionHeliora} $0  ; KB, from the files above
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  Delete "$INSTDIR\heliora.exe"
  Delete "$INSTDIR\heliora-pictures.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\Sun.bmp"
  Delete "$INSTDIR\Mercury.bmp"
  Delete "$INSTDIR\Venus.bmp"
  Delete "$INSTDIR\earth.bmp"
  Delete "$INSTDIR\Moon.bmp"
  Delete "$INSTDIR\Mars.bmp"
  Delete "$INSTDIR\Jupiter.bmp"
  Delete "$INSTDIR\Saturn.bmp"
  Delete "$INSTDIR\Uranus.bmp"
  Delete "$INSTDIR\Neptune.bmp"
  Delete "$INSTDIR\pluto.bmp"
  Delete "$INSTDIR\uninstall.exe"
  Delete "$SMPROGRAMS\Heliora.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ; Never /r: whatever else the user keeps there stays, and so does the folder.
  RMDir "$INSTDIR"
  IfFileExists "$INSTDIR\*.*" 0 +3
    DetailPrint "Kept $INSTDIR: it holds files that Heliora did not install."
    MessageBox MB_OK|MB_ICONINFORMATION "Heliora is removed. The folder $INSTDIR was kept: it holds files that Heliora did not install." /SD IDOK
SectionEnd
