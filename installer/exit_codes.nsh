; Exit codes of OrvaneSetup.exe, for packagers (the README lists them too).
; NSIS itself ends with 1 when the user cancels and 2 when it aborts.
!define EXIT_OK 0
; No legacy library: /LEGACY= names no file, and there is neither an
; installed copy nor an o32_tts.dll next to the setup.
!define EXIT_NO_LEGACY 10
; The legacy library is not a 32-bit (x86) DLL.
!define EXIT_NOT_DLL32 11
; The legacy library lacks the orvCreate or TtsWav export.
!define EXIT_NO_EXPORTS 12
; Already installed in another folder than the one /D= names.
!define EXIT_OTHER_FOLDER 13
; A file could not be written; a first installation is removed again.
!define EXIT_COPY_FAILED 20
; A build would not register; neither build stays registered.
!define EXIT_REGISTER_FAILED 21
; Installed and registered, but a file in use is replaced at the next
; restart (the value Windows Installer uses for the same case).
!define EXIT_RESTART_NEEDED 3010
