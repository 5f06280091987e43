; The files the setup installs and the uninstaller removes.

Var CopyFailed ; the first file that could not be written, or ""

; WritableNow name: $0 becomes 1 when $INSTDIR\name is absent or can be
; written now, 0 when a running program keeps it (after a short wait for a
; server that is still exiting).
Function WritableNow
  Exch $1
  Push $2
  Push $3
  StrCpy $0 1
  ${If} ${FileExists} "$INSTDIR\$1"
    StrCpy $0 0
    ${For} $2 1 10
      ClearErrors
      FileOpen $3 "$INSTDIR\$1" a
      ${IfNot} ${Errors}
        FileClose $3
        StrCpy $0 1
        ${Break}
      ${EndIf}
      Sleep 300
    ${Next}
  ${EndIf}
  Pop $3
  Pop $2
  Pop $1
FunctionEnd

; A file in use is written beside its target and moved over it at the next
; restart (Rename /REBOOTOK sets the reboot flag); until then the old file
; keeps its place, so registration stays valid.
!macro PAYLOAD_FILE SOURCE NAME
  Push "${NAME}"
  Call WritableNow
  ClearErrors
  ${If} $0 = 1
    File "/oname=$INSTDIR\${NAME}" "${SOURCE}"
  ${Else}
    DetailPrint "${NAME} is in use; it is replaced at the next restart"
    File "/oname=$INSTDIR\${NAME}.upgrade" "${SOURCE}"
    Rename /REBOOTOK "$INSTDIR\${NAME}.upgrade" "$INSTDIR\${NAME}"
  ${EndIf}
  ${If} ${Errors}
  ${AndIf} $CopyFailed == ""
    StrCpy $CopyFailed "$INSTDIR\${NAME}"
  ${EndIf}
!macroend

; The same for the legacy library, copied from the user's file.
Function CopyLegacyLibrary
  Exch $1 ; source
  Push $0
  Push "o32_tts.dll"
  Call WritableNow
  ClearErrors
  ${If} $0 = 1
    CopyFiles /SILENT "$1" "$INSTDIR\o32_tts.dll"
  ${Else}
    DetailPrint "o32_tts.dll is in use; it is replaced at the next restart"
    CopyFiles /SILENT "$1" "$INSTDIR\o32_tts.dll.upgrade"
    Rename /REBOOTOK "$INSTDIR\o32_tts.dll.upgrade" "$INSTDIR\o32_tts.dll"
  ${EndIf}
  ${If} ${Errors}
  ${AndIf} $CopyFailed == ""
    StrCpy $CopyFailed "$INSTDIR\o32_tts.dll"
  ${EndIf}
  Pop $0
  Pop $1
FunctionEnd

!macro INSTALL_PAYLOAD
  SetOutPath "$INSTDIR"
  !insertmacro PAYLOAD_FILE "${DIST}/OrvaneSAPI.dll" "OrvaneSAPI.dll"
  !insertmacro PAYLOAD_FILE "${DIST}/OrvaneServer.exe" "OrvaneServer.exe"
  !insertmacro PAYLOAD_FILE "${DIST}/tools/orvane-say32.exe" "orvane-say32.exe"
  ${If} ${RunningX64}
    SetOutPath "$INSTDIR\x64"
    !insertmacro PAYLOAD_FILE "${DIST}/x64/OrvaneSAPI.dll" "x64\OrvaneSAPI.dll"
    !insertmacro PAYLOAD_FILE "${DIST}/tools/orvane-say64.exe" "x64\orvane-say64.exe"
  ${EndIf}
  SetOutPath "$INSTDIR"
!macroend

; Deletes what the setup wrote (files still in use go at the next restart)
; and the folders if nothing else is left in them. The legacy library goes
; only where the setup copied it.
!macro REMOVE_FILE NAME
  Delete /REBOOTOK "$INSTDIR\${NAME}"
  Delete "$INSTDIR\${NAME}.upgrade"
!macroend

; RemoveLegacy: 1 to delete o32_tts.dll as well.
!macro REMOVE_PAYLOAD RemoveLegacy
  ; The folder itself must not be the working directory while it goes.
  SetOutPath "$TEMP"
  !insertmacro REMOVE_FILE "x64\OrvaneSAPI.dll"
  !insertmacro REMOVE_FILE "x64\orvane-say64.exe"
  RMDir /REBOOTOK "$INSTDIR\x64"
  !insertmacro REMOVE_FILE "OrvaneSAPI.dll"
  !insertmacro REMOVE_FILE "OrvaneServer.exe"
  !insertmacro REMOVE_FILE "orvane-say32.exe"
  !if ${RemoveLegacy} == 1
    !insertmacro REMOVE_FILE "o32_tts.dll"
  !endif
  !insertmacro REMOVE_FILE "uninstall.exe"
  RMDir /REBOOTOK "$INSTDIR"
!macroend
