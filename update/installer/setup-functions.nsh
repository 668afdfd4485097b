; What the setup and its uninstaller share: the language they speak, the notes a silent run
; leaves for whoever started it, and the wait for a running editor. Each function is made twice,
; once for the setup and once, with the "un." prefix NSIS requires, for the uninstaller.

!define EDITOR_INSTANCE "Tovik Avatar"
; A silent run waits this long for a running editor before it gives up.
!define EDITOR_WAIT_SECONDS 30
!define EXIT_EDITOR_RUNNING 3
!define EXIT_NEWER_INSTALLED 4

!macro likenexSetupFunctions prefix

; Speaks the system's language among the editor's five, English when it is none of them.
; Hong Kong and Macao read traditional characters, as Taiwan does.
Function ${prefix}chooseLanguage
  System::Call 'kernel32::GetUserDefaultUILanguage() i.r0'
  IntOp $1 $0 & 0x3FF
  IntOp $2 $0 >> 10
  StrCpy $LANGUAGE ${LANG_ENGLISH}
  ${If} $1 = 0x04
    ${If} $2 = 1
    ${OrIf} $2 = 3
    ${OrIf} $2 = 5
      StrCpy $LANGUAGE ${LANG_TRADCHINESE}
    ${Else}
      StrCpy $LANGUAGE ${LANG_SIMPCHINESE}
    ${EndIf}
  ${ElseIf} $1 = 0x11
    StrCpy $LANGUAGE ${LANG_JAPANESE}
  ${ElseIf} $1 = 0x0C
    StrCpy $LANGUAGE ${LANG_FRENCH}
  ${EndIf}
FunctionEnd

; A note for the progress page and, when the program was started with a standard error (a
; deployment script, the tests), for its log too: a silent run has no other way to say why it
; stopped. The text is on the stack; it goes out as UTF-8.
Function ${prefix}note
  Exch $0
  Push $1
  Push $2
  Push $3
  DetailPrint "$0"
  System::Call 'kernel32::GetStdHandle(i -12) p.r1'
  ${If} $1 != 0
  ${AndIf} $1 != -1
    StrCpy $0 "$0$\r$\n"
    System::Alloc 4096
    Pop $2
    System::Call 'kernel32::WideCharToMultiByte(i 65001, i 0, w r0, i -1, p r2, i 4096, p 0, p 0) i.r3'
    ; The count includes the closing zero, which is not written.
    ${If} $3 > 1
      IntOp $3 $3 - 1
      System::Call 'kernel32::WriteFile(p r1, p r2, i r3, *i 0, p 0)'
    ${EndIf}
    System::Free $2
  ${EndIf}
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; Returns (on the stack) 1 when an editor of this user is running: it holds its named semaphore
; for as long as it runs.
Function ${prefix}editorRunning
  Push $0
  System::Call 'kernel32::OpenSemaphoreW(i 0x00100000, i 0, w "${EDITOR_INSTANCE}") p.r0'
  ${If} $0 != 0
    System::Call 'kernel32::CloseHandle(p r0)'
    StrCpy $0 1
  ${EndIf}
  Exch $0
FunctionEnd

; Waits until no editor runs: a person is asked to close it, a silent run looks again each
; second for a while. The editor is never ended from here: it may hold an unsaved avatar.
; Returns 1 when it is closed, 0 when the person cancelled or the wait ran out.
Function ${prefix}waitForEditor
  Push $0
  Push $1
  StrCpy $1 0
  ${Do}
    Call ${prefix}editorRunning
    Pop $0
    ${If} $0 = 0
      StrCpy $0 1
      ${Break}
    ${EndIf}
    ${If} ${Silent}
      ${If} $1 >= ${EDITOR_WAIT_SECONDS}
        StrCpy $0 0
        ${Break}
      ${EndIf}
      IntOp $1 $1 + 1
      Sleep 1000
    ${Else}
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(editorRunning)" IDRETRY retry
      StrCpy $0 0
      ${Break}
      retry:
    ${EndIf}
  ${Loop}
  Pop $1
  Exch $0
FunctionEnd

!macroend
