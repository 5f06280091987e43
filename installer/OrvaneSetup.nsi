; OrvaneSetup.exe: installs, upgrades and removes both builds of the Orvane
; voices. Built by tools/package:
;   makensis -DDIST=<staged deliverables> -DOUTFILE=<setup> OrvaneSetup.nsi
; Command line (exit codes in exit_codes.nsh):
;   /S              silent
;   /LEGACY=path    the user's own o32_tts.dll (default: the installed copy
;                   on an upgrade, else o32_tts.dll next to the setup)
;   /LOG=path       appends what the setup decided, one line each
;   /D=folder       installation folder; NSIS takes it last and unquoted
Unicode true
ManifestSupportedOS all
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!ifndef DIST
  !error "define DIST, the folder of the staged deliverables"
!endif
!ifndef OUTFILE
  !error "define OUTFILE, the setup to write"
!endif
!ifndef VERSION
  !define VERSION "1.0.0"
!endif
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\OrvaneSAPI"

!include LogicLib.nsh
!include FileFunc.nsh
!include x64.nsh
!include exit_codes.nsh
!include legacy_library.nsh
!include registration.nsh
!include payload.nsh
!insertmacro REGISTRATION_FUNCTIONS ""
!insertmacro REGISTRATION_FUNCTIONS "un."

Name "Orvane voices"
OutFile "${OUTFILE}"
; $PROGRAMFILES of this 32-bit setup is "Program Files (x86)" on 64-bit Windows.
InstallDir "$PROGRAMFILES\Orvane"
; An upgrade keeps the folder; the 64-bit library reads the same value.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show
VIProductVersion "${VERSION}.0"
VIAddVersionKey ProductName "Orvane voices"
VIAddVersionKey CompanyName "Orvane"
VIAddVersionKey FileDescription "Orvane voices setup"
VIAddVersionKey FileVersion "${VERSION}"
VIAddVersionKey ProductVersion "${VERSION}"
VIAddVersionKey LegalCopyright "Orvane"

Page directory SkipOnUpgrade
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Var Upgrade       ; 1 when an installation is registered in $INSTDIR
Var LegacySource  ; the legacy library to copy, "" to keep the installed one
Var LegacyOption  ; the value of /LEGACY=
Var LogFile       ; the value of /LOG=

; Note text: shown in the details and appended to the /LOG= file.
!macro Note TEXT
  Push "${TEXT}"
  Call Note
!macroend

Function Note
  Exch $0
  Push $1
  DetailPrint "$0"
  ${If} $LogFile != ""
    ClearErrors
    FileOpen $1 "$LogFile" a
    ${IfNot} ${Errors}
      FileSeek $1 0 END
      FileWriteUTF16LE $1 "$0$\r$\n"
      FileClose $1
    ${EndIf}
  ${EndIf}
  Pop $1
  Pop $0
FunctionEnd

; Refuse code text: says why (a message box unless silent) and ends the
; setup with the code, before anything is changed.
!macro Refuse CODE TEXT
  !insertmacro Note "${TEXT}"
  MessageBox MB_OK|MB_ICONSTOP "${TEXT}" /SD IDOK
  SetErrorLevel ${CODE}
  Quit
!macroend

; /LEGACY= and /LOG= from the command line, split the way Windows programs
; split it, so that both /LEGACY="C:\a b\o32_tts.dll" and
; "/LEGACY=C:\a b\o32_tts.dll" work.
Function ReadOptions
  System::Call 'kernel32::GetCommandLineW() p.r0'
  System::Call 'shell32::CommandLineToArgvW(p r0, *i .r1) p.r2'
  ${If} $2 P<> 0
    IntOp $7 $1 - 1
    ${For} $3 1 $7
      IntPtrOp $4 $3 * ${NSIS_PTR_SIZE}
      IntPtrOp $4 $2 + $4
      System::Call '*$4(w .r5)'
      StrCpy $6 $5 8
      ${If} $6 == "/LEGACY="
        StrCpy $LegacyOption $5 "" 8
      ${EndIf}
      StrCpy $6 $5 5
      ${If} $6 == "/LOG="
        StrCpy $LogFile $5 "" 5
      ${EndIf}
    ${Next}
    System::Call 'kernel32::LocalFree(p r2)'
  ${EndIf}
FunctionEnd

Function .onInit
  SetRegView 32
  Call ReadOptions
  StrCpy $Upgrade 0
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
    StrCpy $Upgrade 1
    ; StrCmp ignores case, as Windows paths do.
    ${If} $0 != $INSTDIR
      !insertmacro Refuse ${EXIT_OTHER_FOLDER} "Orvane is installed in $0. Uninstall it first, or run the setup without /D= to upgrade it there."
    ${EndIf}
  ${EndIf}

  ; Which legacy library: the one named, the one installed, the one beside us.
  StrCpy $LegacySource ""
  ${If} $LegacyOption != ""
    GetFullPathName $0 "$LegacyOption"
    ${If} $0 == ""
    ${OrIfNot} ${FileExists} "$0"
    ${OrIf} ${FileExists} "$0\*.*"
      !insertmacro Refuse ${EXIT_NO_LEGACY} "The legacy library given with /LEGACY= was not found: $LegacyOption"
    ${EndIf}
    StrCpy $LegacySource $0
  ${ElseIf} $Upgrade = 1
  ${AndIf} ${FileExists} "$INSTDIR\o32_tts.dll"
    StrCpy $0 "$INSTDIR\o32_tts.dll"
  ${ElseIf} ${FileExists} "$EXEDIR\o32_tts.dll"
    StrCpy $0 "$EXEDIR\o32_tts.dll"
    StrCpy $LegacySource $0
  ${Else}
    !insertmacro Refuse ${EXIT_NO_LEGACY} "Orvane needs your own legacy text-to-speech library, o32_tts.dll. Put it next to OrvaneSetup.exe, or name it with /LEGACY=path."
  ${EndIf}
  Call CheckLegacyLibrary
  ${If} $1 <> 0
    !insertmacro Refuse $1 "$0 $2. Orvane needs the 32-bit o32_tts.dll with the exports orvCreate and TtsWav."
  ${EndIf}
  ; Naming the installed copy itself keeps it.
  ${If} $LegacySource == "$INSTDIR\o32_tts.dll"
    StrCpy $LegacySource ""
  ${EndIf}
  !insertmacro Note "Legacy library: $0"
FunctionEnd

Function SkipOnUpgrade
  ${IfThen} $Upgrade = 1 ${|} Abort ${|}
FunctionEnd

; Ends a failed installation: a first one is taken out again, an upgrade
; keeps its files and entry so that it can be set up again or removed.
!macro Fail CODE TEXT
  ${If} $Upgrade = 0
    ; A legacy library that was there before (named with /LEGACY=) stays.
    ${If} $LegacySource != ""
      !insertmacro REMOVE_PAYLOAD 1
    ${Else}
      !insertmacro REMOVE_PAYLOAD 0
    ${EndIf}
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ${EndIf}
  !insertmacro Note "${TEXT}"
  MessageBox MB_OK|MB_ICONSTOP "${TEXT}" /SD IDOK
  SetErrorLevel ${CODE}
  Abort
!macroend

Section
  SetRegView 32
  ${If} $Upgrade = 1
    !insertmacro Note "Upgrading the installation in $INSTDIR"
    Call UnregisterBuilds
  ${EndIf}

  StrCpy $CopyFailed ""
  !insertmacro INSTALL_PAYLOAD
  ${If} $LegacySource != ""
    Push $LegacySource
    Call CopyLegacyLibrary
  ${EndIf}
  ClearErrors
  WriteUninstaller "$INSTDIR\uninstall.exe"
  ${If} ${Errors}
  ${AndIf} $CopyFailed == ""
    StrCpy $CopyFailed "$INSTDIR\uninstall.exe"
  ${EndIf}
  ${If} $CopyFailed != ""
    !insertmacro Fail ${EXIT_COPY_FAILED} "Could not write $CopyFailed; no voices are registered."
  ${EndIf}

  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Orvane voices"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Orvane"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0

  Call RegisterBuilds
  ${If} $0 <> 0
    !insertmacro Fail ${EXIT_REGISTER_FAILED} "The $1 OrvaneSAPI.dll did not register (regsvr32 exit code $0); no voices are registered."
  ${EndIf}
  ${If} ${RebootFlag}
    !insertmacro Note "Installed in $INSTDIR; restart Windows to finish replacing the files in use."
    MessageBox MB_OK|MB_ICONINFORMATION "Restart Windows to finish replacing the files that are in use. The voices work until then." /SD IDOK
    SetErrorLevel ${EXIT_RESTART_NEEDED}
  ${Else}
    !insertmacro Note "Installed in $INSTDIR"
  ${EndIf}
SectionEnd

Section Uninstall
  SetRegView 32
  Call un.UnregisterBuilds
  !insertmacro REMOVE_PAYLOAD 1
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ${If} ${RebootFlag}
    MessageBox MB_OK|MB_ICONINFORMATION "Restart Windows to finish removing the files that are in use." /SD IDOK
    SetErrorLevel ${EXIT_RESTART_NEEDED}
  ${EndIf}
SectionEnd
