; The uninstaller the setup writes as Uninstall.exe. It removes what the setup put in place and
; what the programs write while they run, by name: the folder may be one the person chose that
; holds files of their own, so nothing is removed that is not known, and the folder goes only
; when nothing else is left in it.

; Removes the installers the updater downloaded: "N.exe" for a version N, with its ".sig".
Function un.removeVersionInstallers
  Push $0
  Push $1
  Push $2
  Push $3
  FindFirst $0 $1 "$INSTDIR\*.exe"
  ${DoWhile} $1 != ""
    StrCpy $2 $1 -4
    IntOp $3 $2 + 0
    ${If} $3 > 0
    ${AndIf} $3 == $2
      Delete "$INSTDIR\$1"
      Delete "$INSTDIR\$1.sig"
    ${EndIf}
    FindNext $0 $1
  ${Loop}
  FindClose $0
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

Function un.onInit
  Call un.chooseLanguage
  Call un.waitForEditor
  Pop $0
  ${If} $0 = 0
    ${If} ${Silent}
      Push "$(editorStillRunning)"
      Call un.note
    ${EndIf}
    SetErrorLevel ${EXIT_EDITOR_RUNNING}
    Quit
  ${EndIf}
FunctionEnd

Section "Uninstall"
  ; An editor started while the confirmation page was up.
  Call un.waitForEditor
  Pop $0
  ${If} $0 = 0
    Push "$(editorStillRunning)"
    Call un.note
    SetErrorLevel ${EXIT_EDITOR_RUNNING}
    ; A person sees the note on the progress page; a silent run ends with its exit code.
    ${If} ${Silent}
      Quit
    ${EndIf}
    Abort
  ${EndIf}

  Delete "$SMPROGRAMS\Likenex.lnk"
  Delete "$DESKTOP\Likenex.lnk"

  ; What the setup installed.
  Delete "$INSTDIR\Likenex.exe"
  Delete "$INSTDIR\Update.exe"
  Delete "$INSTDIR\News.dll"
  Delete "$INSTDIR\color.dat"
  Delete "$INSTDIR\skin.dat"
  Delete "$INSTDIR\wall.dat"
  Delete "$INSTDIR\data\merge.exe"
  Delete "$INSTDIR\data\avatar.inx"
  Delete "$INSTDIR\data\avatar.iso"
  Delete "$INSTDIR\data\avatar.dat"
  Delete "$INSTDIR\data\inter.inx"
  Delete "$INSTDIR\data\inter.dat"
  Delete "$INSTDIR\data\lang.bin"
  !insertmacro likenexRemoveFonts

  ; What the editor and the updater write while they run: the settings, the news page, the
  ; downloads and what waits to replace a running program, and the merger's own files.
  Delete "$INSTDIR\opt.dat"
  Delete "$INSTDIR\opt.dat.new"
  Delete "$INSTDIR\news.html"
  Delete "$INSTDIR\Update.up"
  Delete "$INSTDIR\News.up"
  Delete "$INSTDIR\fullup.exe"
  Delete "$INSTDIR\fullup.exe.sig"
  Call un.removeVersionInstallers
  Delete "$INSTDIR\data\merge.log"
  Delete "$INSTDIR\data\merge.journal"
  Delete "$INSTDIR\data\merge.journal.new"
  RMDir /r "$INSTDIR\data\incoming"
  RMDir /r "$INSTDIR\data\merge-backup"
  RMDir "$INSTDIR\data"
  RMDir "$INSTDIR\fonts"

  ; The pictures the person exported are theirs: kept unless they say otherwise.
  ${If} ${FileExists} "$INSTDIR\photo\tovik_*.*"
    MessageBox MB_YESNO|MB_ICONQUESTION "$(keepPictures)" /SD IDYES IDYES keepPictures
    Delete "$INSTDIR\photo\tovik_*.bmp"
    Delete "$INSTDIR\photo\tovik_*.png"
    keepPictures:
  ${EndIf}
  RMDir "$INSTDIR\photo"

  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  ${If} ${FileExists} "$INSTDIR\*.*"
    Push "$(folderKept)"
    Call un.note
  ${EndIf}

  DeleteRegValue HKCU "${VERSION_KEY}" "ver"
  DeleteRegValue HKCU "${VERSION_KEY}" "newver"
  DeleteRegValue HKCU "${VERSION_KEY}" "news"
  DeleteRegValue HKCU "${VERSION_KEY}" "regurl"
  DeleteRegKey /ifempty HKCU "${VERSION_KEY}"
  DeleteRegKey /ifempty HKCU "Software\Tovik\Avatar"
  DeleteRegValue HKCU "${SETTINGS_KEY}" "language"
  DeleteRegKey /ifempty HKCU "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKCU "Software\Tovik"
  ; Avatar: links stay with another installation that has registered them since.
  ReadRegStr $0 HKCU "${PROTOCOL_KEY}\shell\open\command" ""
  ${If} $0 == '"$INSTDIR\Likenex.exe" "%1"'
  ${OrIf} $0 == ""
    DeleteRegKey HKCU "${PROTOCOL_KEY}"
  ${EndIf}
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
