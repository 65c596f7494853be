; Heliora's Windows installer, made on Debian by scripts/windows.sh with NSIS:
;
;   makensis -DVERSION=1.0.0 -DSTAGE=DIR -DICON=FILE.ico -DOUTFILE=heliora-setup.exe heliora.nsi
;
; STAGE holds what the zip holds (the two programs, the eleven pictures,
; README.txt, LICENSE.txt and THIRD-PARTY.txt). The licence is shown on a page
; before installing, which a silent install skips. It installs for the current
; user alone, without administrator rights, into %LOCALAPPDATA%\Programs\Heliora, with a Start menu shortcut and
; an entry under Settings > Apps. /S installs, and uninstalls, silently.
;
; Setup never writes over a file it did not put there. It records in
; heliora-uninstall.ini each file it wrote, with its size and CRC-32, and last
; that the record is whole. Installing again replaces the programs it had
; written, and the readme and the licence texts while they are still as
; written, and keeps every picture already there: a user's own map saved
; under a body's name stays. A file of the user's under the name of the
; readme, a licence text or a picture is left as it is;
; one under a program's name makes Setup refuse the folder (exit code 2). The
; uninstaller removes only the recorded files that are still as Setup wrote
; them, its shortcut and its registry key, and the folder only when nothing
; else is left in it. A file it cannot remove (the viewer still running)
; stays recorded, with the uninstaller and its entry, and the user is told;
; of a record cut short, the programs it does not name count as Setup's.

Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Heliora"
!define PUBLISHER "Heliora team"
!define RECORD "$INSTDIR\heliora-uninstall.ini"

Name "Heliora"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Heliora"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Heliora ${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_WELCOMEPAGE_TEXT "Setup will install Heliora, a small solar-system viewer, for you alone, in your own programs folder; it needs no administrator rights.$\r$\n$\r$\nInstalling again over an installed copy keeps the pictures already there, and Setup never writes over a file of yours.$\r$\n$\r$\nClick Next to continue."
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start Heliora"
!define MUI_FINISHPAGE_RUN_FUNCTION StartViewer
!insertmacro MUI_PAGE_WELCOME
; The MIT licence asks for no agreement: the page shows it, and installs.
!define MUI_LICENSEPAGE_TEXT_BOTTOM "Heliora is free software under this licence. THIRD-PARTY.txt, installed beside it, holds the notices of the parts that are not Heliora's own. Click Install to start the installation."
!define MUI_LICENSEPAGE_BUTTON "$(^InstallBtn)"
!insertmacro MUI_PAGE_LICENSE "${STAGE}/LICENSE.txt"
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

; $1 becomes the stamp of file $0: "SIZE CRC32" of its bytes, or "" when it
; cannot be read. The same on install and uninstall, so only equality counts.
!macro StampFunction PREFIX
Function ${PREFIX}StampOf
  Push $2
  Push $3
  Push $4
  Push $5
  Push $6
  Push $7
  StrCpy $1 ""
  ClearErrors
  FileOpen $2 "$0" r
  ${IfNot} ${Errors}
    System::Alloc 65536
    Pop $3
    StrCpy $5 0
    StrCpy $6 0
    ${Do}
      System::Call "kernel32::ReadFile(p r2, p r3, i 65536, *i .r4, p 0) i .r7"
      ${If} $7 = 0
        StrCpy $6 -1
        ${Break}
      ${EndIf}
      ${If} $4 = 0
        ${Break}
      ${EndIf}
      System::Call "ntdll::RtlComputeCrc32(i r5, p r3, i r4) i .r5"
      IntOp $6 $6 + $4
    ${Loop}
    System::Free $3
    FileClose $2
    ${IfThen} $6 >= 0 ${|} StrCpy $1 "$6 $5" ${|}
  ${EndIf}
  Pop $7
  Pop $6
  Pop $5
  Pop $4
  Pop $3
  Pop $2
FunctionEnd
!macroend
!insertmacro StampFunction ""
!insertmacro StampFunction "un."

; 1 when the folder holds an install made before Setup kept a record: its
; programs and readme count as Setup's, its pictures as the user's. 2 when
; its record was cut short: the programs it does not name count as Setup's.
Var unrecordedInstall

; Whether NAME in the folder was put there by Setup ($0 is 1 or 0).
!macro IsOurs NAME
  ReadINIStr $0 "${RECORD}" Files "${NAME}"
  ${If} $0 != ""
  ${OrIf} $unrecordedInstall != 0
    StrCpy $0 1
  ${Else}
    StrCpy $0 0
  ${EndIf}
!macroend

; Whether NAME in the folder is still as Setup wrote it ($0 is 1 or 0); in an
; install made before Setup kept a record, whether it is there.
!macro IsUnchanged NAME
  ReadINIStr $2 "${RECORD}" Files "${NAME}"
  StrCpy $0 "$INSTDIR\${NAME}"
  Call StampOf
  ${If} $unrecordedInstall = 1
    StrCpy $0 1
  ${ElseIf} $2 != ""
  ${AndIf} $1 == $2
    StrCpy $0 1
  ${Else}
    StrCpy $0 0
  ${EndIf}
!macroend

!macro RefuseForeign NAME
  ${If} ${FileExists} "$INSTDIR\${NAME}"
    !insertmacro IsOurs "${NAME}"
    ${If} $0 = 0
      MessageBox MB_OK|MB_ICONSTOP "$INSTDIR already holds a ${NAME} that Heliora did not install. Setup leaves that folder as it is and installs nothing." /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
  ${EndIf}
!macroend

; Writes NAME and records its stamp, unless a file is there already that is
; not to be replaced (REPLACE 0: any; 1: one Setup did not write; 2: one not
; as Setup wrote it), which stays as it is with its record, if any.
!macro PutFile NAME REPLACE
  StrCpy $0 1
  ${If} ${FileExists} "$INSTDIR\${NAME}"
    StrCpy $0 0
    ${If} ${REPLACE} = 1
      !insertmacro IsOurs "${NAME}"
    ${ElseIf} ${REPLACE} = 2
      !insertmacro IsUnchanged "${NAME}"
    ${EndIf}
  ${EndIf}
  ${If} $0 = 1
    File "${STAGE}/${NAME}"
    StrCpy $0 "$INSTDIR\${NAME}"
    Call StampOf
    WriteINIStr "${RECORD}" Files "${NAME}" "$1"
  ${Else}
    DetailPrint "Kept ${NAME}: it was there before."
  ${EndIf}
!macroend

; Removes NAME if Setup wrote it and it is still as written, and its line in
; the record with it. One that cannot be removed keeps its line and is
; counted in $unremoved.
Var unremoved
!macro RemoveIfUnchanged NAME
  ReadINIStr $2 "${RECORD}" Files "${NAME}"
  ${If} $2 != ""
    StrCpy $0 "$INSTDIR\${NAME}"
    Call un.StampOf
    ${If} $1 == $2
      Delete "$INSTDIR\${NAME}"
      ${If} ${FileExists} "$INSTDIR\${NAME}"
        DetailPrint "Could not remove ${NAME}: it is in use."
        IntOp $unremoved $unremoved + 1
      ${Else}
        DeleteINIStr "${RECORD}" Files "${NAME}"
      ${EndIf}
    ${Else}
      DetailPrint "Kept ${NAME}: it changed after it was installed."
    ${EndIf}
  ${EndIf}
!macroend

; A program a record cut short does not name is Setup's: recorded as it is.
!macro AdoptIfUnrecorded NAME
  ReadINIStr $2 "${RECORD}" Files "${NAME}"
  ${If} $2 == ""
  ${AndIf} ${FileExists} "$INSTDIR\${NAME}"
    StrCpy $0 "$INSTDIR\${NAME}"
    Call un.StampOf
    WriteINIStr "${RECORD}" Files "${NAME}" "$1"
  ${EndIf}
!macroend

Function .onInit
  StrCpy $unrecordedInstall 0
  ReadINIStr $0 "${RECORD}" Setup Whole
  ${If} ${FileExists} "${RECORD}"
    ${IfThen} $0 != 1 ${|} StrCpy $unrecordedInstall 2 ${|}
  ${ElseIf} ${FileExists} "$INSTDIR\uninstall.exe"
  ${AndIf} ${FileExists} "$INSTDIR\heliora.exe"
    StrCpy $unrecordedInstall 1
  ${EndIf}
  !insertmacro RefuseForeign heliora.exe
  !insertmacro RefuseForeign heliora-pictures.exe
  !insertmacro RefuseForeign uninstall.exe
FunctionEnd

; The viewer reads its pictures from the folder it is started in.
Function StartViewer
  SetOutPath "$INSTDIR"
  Exec '"$INSTDIR\heliora.exe"'
FunctionEnd

Section "Heliora" SectionHeliora
  SetOutPath "$INSTDIR"
  SetOverwrite on
  ; (.onInit has refused a folder with programs of someone else's.)
  DeleteINISec "${RECORD}" Setup
  !insertmacro PutFile heliora.exe 1
  !insertmacro PutFile heliora-pictures.exe 1
  !insertmacro PutFile README.txt 2
  !insertmacro PutFile LICENSE.txt 2
  !insertmacro PutFile THIRD-PARTY.txt 2
  !insertmacro PutFile Sun.bmp 0
  !insertmacro PutFile Mercury.bmp 0
  !insertmacro PutFile Venus.bmp 0
  !insertmacro PutFile earth.bmp 0
  !insertmacro PutFile Moon.bmp 0
  !insertmacro PutFile Mars.bmp 0
  !insertmacro PutFile Jupiter.bmp 0
  !insertmacro PutFile Saturn.bmp 0
  !insertmacro PutFile Uranus.bmp 0
  !insertmacro PutFile Neptune.bmp 0
  !insertmacro PutFile pluto.bmp 0
  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteINIStr "${RECORD}" Files uninstall.exe "(itself)"
  WriteINIStr "${RECORD}" Setup Whole 1

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
  StrCpy $unremoved 0
  ReadINIStr $0 "${RECORD}" Setup Whole
  ${If} $0 != 1
    !insertmacro AdoptIfUnrecorded heliora.exe
    !insertmacro AdoptIfUnrecorded heliora-pictures.exe
  ${EndIf}
  !insertmacro RemoveIfUnchanged heliora.exe
  !insertmacro RemoveIfUnchanged heliora-pictures.exe
  !insertmacro RemoveIfUnchanged README.txt
  !insertmacro RemoveIfUnchanged LICENSE.txt
  !insertmacro RemoveIfUnchanged THIRD-PARTY.txt
  !insertmacro RemoveIfUnchanged Sun.bmp
  !insertmacro RemoveIfUnchanged Mercury.bmp
  !insertmacro RemoveIfUnchanged Venus.bmp
  !insertmacro RemoveIfUnchanged earth.bmp
  !insertmacro RemoveIfUnchanged Moon.bmp
  !insertmacro RemoveIfUnchanged Mars.bmp
  !insertmacro RemoveIfUnchanged Jupiter.bmp
  !insertmacro RemoveIfUnchanged Saturn.bmp
  !insertmacro RemoveIfUnchanged Uranus.bmp
  !insertmacro RemoveIfUnchanged Neptune.bmp
  !insertmacro RemoveIfUnchanged pluto.bmp
  Delete "$SMPROGRAMS\Heliora.lnk"
  ; What could not be removed stays recorded, so that Setup knows it again
  ; and this uninstaller can be run again to finish.
  ${If} $unremoved > 0
    MessageBox MB_OK|MB_ICONEXCLAMATION "Heliora could not remove $unremoved of its files from $INSTDIR: they are in use. Close Heliora and uninstall it again; until then its uninstaller stays." /SD IDOK
    SetErrorLevel 2
    Return
  ${EndIf}
  Delete "${RECORD}"
  Delete "$INSTDIR\uninstall.exe"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ; Never /r: whatever else the user keeps there stays, and so does the folder.
  RMDir "$INSTDIR"
  ${If} ${FileExists} "$INSTDIR\*.*"
    DetailPrint "Kept $INSTDIR: it holds files that Heliora did not install or that were changed."
    MessageBox MB_OK|MB_ICONINFORMATION "Heliora is removed. The folder $INSTDIR was kept: it holds files that Heliora did not install, or pictures changed since." /SD IDOK
  ${EndIf}
SectionEnd
