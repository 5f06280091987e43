; Finding and checking the user's own legacy library, o32_tts.dll.

!define DONT_RESOLVE_DLL_REFERENCES 1

Var PeFile

; ReadLE offset bytes var: a little-endian number from $PeFile; sets the
; error flag when the file is shorter.
!macro ReadLE OFFSET BYTES VAR
  Push ${OFFSET}
  Push ${BYTES}
  Call ReadLE
  Pop ${VAR}
!macroend

Function ReadLE
  Exch $R1 ; bytes
  Exch
  Exch $R0 ; offset
  Push $R2
  Push $R3
  Push $R4
  Push $R5
  FileSeek $PeFile $R0 SET
  StrCpy $R2 0
  StrCpy $R5 ""
  ${For} $R3 1 $R1
    FileReadByte $PeFile $R4
    ${If} ${Errors}
      StrCpy $R5 short
      ${Break}
    ${EndIf}
    IntOp $R0 $R3 - 1
    IntOp $R0 $R0 * 8
    IntOp $R4 $R4 << $R0
    IntOp $R2 $R2 | $R4
  ${Next}
  ; The test above cleared the flag; the caller needs it (Pop and Exch keep it).
  ${IfThen} $R5 == short ${|} SetErrors ${|}
  StrCpy $R0 $R2
  Pop $R5
  Pop $R4
  Pop $R3
  Pop $R2
  Pop $R1
  Exch $R0
FunctionEnd

; CheckLegacyLibrary: $0 the file. Sets $1 to 0 when it is a 32-bit DLL
; with the exports the engine driver binds, else to the exit code, with the
; reason in $2. The header is read first so that each refusal says why; the
; exports are then looked up the way the engine driver finds them.
Function CheckLegacyLibrary
  Push $3
  Push $4
  Push $5
  StrCpy $1 ${EXIT_NOT_DLL32}
  ClearErrors
  FileOpen $PeFile $0 r
  ${If} ${Errors}
    StrCpy $1 ${EXIT_NO_LEGACY}
    StrCpy $2 "cannot be read"
    Goto done
  ${EndIf}
  !insertmacro ReadLE 0 2 $3
  ${If} ${Errors}
  ${OrIf} $3 <> 0x5A4D
    StrCpy $2 "is not a Windows DLL"
    Goto close
  ${EndIf}
  !insertmacro ReadLE 0x3C 4 $4
  !insertmacro ReadLE $4 4 $3
  ${If} ${Errors}
  ${OrIf} $3 <> 0x4550
    StrCpy $2 "is not a Windows DLL"
    Goto close
  ${EndIf}
  IntOp $5 $4 + 4
  !insertmacro ReadLE $5 2 $3
  ${If} $3 = 0x8664
    StrCpy $2 "is a 64-bit file; the legacy library is 32-bit"
    Goto close
  ${ElseIf} $3 <> 0x14C
    StrCpy $2 "is not a 32-bit x86 file"
    Goto close
  ${EndIf}
  IntOp $5 $4 + 22
  !insertmacro ReadLE $5 2 $3
  IntOp $3 $3 & 0x2000
  ${If} ${Errors}
  ${OrIf} $3 = 0
    StrCpy $2 "is a program, not a DLL"
    Goto close
  ${EndIf}
  FileClose $PeFile

  ; Mapped without running its DllMain or loading what it imports.
  System::Call 'kernel32::LoadLibraryExW(w r0, p 0, i ${DONT_RESOLVE_DLL_REFERENCES}) p.r4'
  ${If} $4 P= 0
    StrCpy $2 "cannot be loaded as a 32-bit DLL"
    Goto done
  ${EndIf}
  StrCpy $2 ""
  System::Call 'kernel32::GetProcAddress(p r4, m "orvCreate") p.r3'
  ${IfThen} $3 P= 0 ${|} StrCpy $2 "orvCreate" ${|}
  System::Call 'kernel32::GetProcAddress(p r4, m "TtsWav") p.r3'
  ${If} $3 P= 0
    ${If} $2 == ""
      StrCpy $2 "TtsWav"
    ${Else}
      StrCpy $2 "$2 and TtsWav"
    ${EndIf}
  ${EndIf}
  System::Call 'kernel32::FreeLibrary(p r4)'
  ${If} $2 != ""
    StrCpy $1 ${EXIT_NO_EXPORTS}
    StrCpy $2 "lacks the export $2"
  ${Else}
    StrCpy $1 0
  ${EndIf}
  Goto done
close:
  FileClose $PeFile
done:
  Pop $5
  Pop $4
  Pop $3
FunctionEnd
