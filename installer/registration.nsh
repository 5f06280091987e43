; Registering both builds, each with the regsvr32 of its own bitness, and
; stopping the speech server. The functions exist twice, for the installer
; and (prefixed un.) for the uninstaller.

!define SERVER_MUTEX "Global\OrvaneTTSServerMutex"
; Attempts to stop a server that a connected 64-bit host keeps busy; each
; waits about 7 s for the pipe and then for the server to go.
!define STOP_ATTEMPTS 2
!define CLSID_ENUMERATOR "{D25E46E7-3C9A-403B-BCA1-DBF910D0F99A}"
!define CLSID_ENGINE "{FD39C483-34AE-411B-B405-DB8B21051ABC}"
!define TOKEN_ENUM_KEY "Software\Microsoft\Speech\Voices\TokenEnums\Orvane"

!macro REGISTRATION_FUNCTIONS UN

; Regsvr32 bits arguments: $0 becomes regsvr32's exit code, -1 when it did not run.
Function ${UN}Regsvr32
  Exch $1 ; arguments
  Exch
  Exch $2 ; bits
  ClearErrors
  ${If} $2 == 64
    ${DisableX64FSRedirection}
    ExecWait '"$SYSDIR\regsvr32.exe" /s $1' $0
    ${EnableX64FSRedirection}
  ${Else}
    ExecWait '"$SYSDIR\regsvr32.exe" /s $1' $0
  ${EndIf}
  ${IfThen} ${Errors} ${|} StrCpy $0 -1 ${|}
  Pop $2
  Pop $1
FunctionEnd

; $0 becomes 1 while a speech server runs, else 0.
Function ${UN}ServerRunning
  Push $1
  System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${SERVER_MUTEX}") p.r1'
  StrCpy $0 0
  ${If} $1 P<> 0
    System::Call 'kernel32::CloseHandle(p r1)'
    StrCpy $0 1
  ${EndIf}
  Pop $1
FunctionEnd

; Unregisters both builds, the 64-bit one first: its unregistration asks a
; running server to exit, which frees OrvaneServer.exe and o32_tts.dll.
Function ${UN}UnregisterBuilds
  Push $0
  Push $3
  ${If} ${RunningX64}
  ${AndIf} ${FileExists} "$INSTDIR\x64\OrvaneSAPI.dll"
    ${For} $3 1 ${STOP_ATTEMPTS}
      Push 64
      Push '/u "$INSTDIR\x64\OrvaneSAPI.dll"'
      Call ${UN}Regsvr32
      Call ${UN}ServerRunning
      ${IfThen} $0 = 0 ${|} ${Break} ${|}
      DetailPrint "The speech server is busy with a 64-bit application; asking again"
    ${Next}
  ${EndIf}
  ${If} ${FileExists} "$INSTDIR\OrvaneSAPI.dll"
    Push 32
    Push '/u "$INSTDIR\OrvaneSAPI.dll"'
    Call ${UN}Regsvr32
  ${EndIf}
  ; What a damaged or missing library could not remove goes directly.
  Call ${UN}ForgetRegistration
  Pop $3
  Pop $0
FunctionEnd

; Removes the entries both builds write, in both registry views.
Function ${UN}ForgetRegistration
  ${If} ${RunningX64}
    SetRegView 64
    Call ${UN}DeleteRegistrationKeys
  ${EndIf}
  SetRegView 32
  Call ${UN}DeleteRegistrationKeys
FunctionEnd

Function ${UN}DeleteRegistrationKeys
  DeleteRegKey HKLM "Software\Classes\CLSID\${CLSID_ENUMERATOR}"
  DeleteRegKey HKLM "Software\Classes\CLSID\${CLSID_ENGINE}"
  DeleteRegKey HKLM "${TOKEN_ENUM_KEY}"
FunctionEnd

!macroend

; RegisterBuilds: $0 becomes 0 when both builds registered. When one fails,
; the other is unregistered again, so that no application sees voices that
; only one bitness has; $1 then names the build that failed.
Function RegisterBuilds
  Push 32
  Push '"$INSTDIR\OrvaneSAPI.dll"'
  Call Regsvr32
  StrCpy $1 "32-bit"
  ${If} $0 = 0
  ${AndIf} ${RunningX64}
    Push 64
    Push '"$INSTDIR\x64\OrvaneSAPI.dll"'
    Call Regsvr32
    StrCpy $1 "64-bit"
  ${EndIf}
  ${If} $0 <> 0
    Push $0
    Call UnregisterBuilds
    Pop $0
  ${EndIf}
FunctionEnd
