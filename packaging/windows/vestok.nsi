; The Windows installer of vestok-cli (makensis, from scripts/windows).
; Installs under Program Files\Vestok and puts that folder on the machine's
; PATH. NSIS holds at most NSIS_MAX_STRLEN characters in a string: a PATH
; longer than that is refused, never cut, and the installer says so. The
; uninstaller takes out of the PATH only the entry it put there.
;
; makensis -DVERSION=4.5.1 -DSTAGE=<folder with the files> -DOUTFILE=<setup.exe> vestok.nsi
Unicode true
; A 64-bit installer for the 64-bit program (it also runs under wine64 alone).
Target amd64-unicode
SetCompressor /SOLID lzma
!include "LogicLib.nsh"
!include "WinMessages.nsh"
!include "x64.nsh"

!ifndef VERSION
  !error "VERSION is not defined"
!endif
!ifndef STAGE
  !error "STAGE is not defined"
!endif
!ifndef OUTFILE
  !define OUTFILE "vestok-${VERSION}-setup.exe"
!endif

!define ENV_KEY "SYSTEM\CurrentControlSet\Control\Session Manager\Environment"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vestok"
!define OWN_KEY "Software\Vestok"

Name "Vestok ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Vestok"
InstallDirRegKey HKLM "${OWN_KEY}" "InstallDir"
RequestExecutionLevel admin
ShowInstDetails show
ShowUninstDetails show

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Var PathValue
Var Entry
Var Rest
Var Kept

; Is $INSTDIR one of the entries of $PathValue? $0 := 1 or 0.
Function PathHasInstDir
  StrCpy $0 0
  StrCpy $Rest $PathValue
  ${Do}
    ${If} $Rest == ""
      ${Break}
    ${EndIf}
    Call NextEntry
    ${If} $Entry == $INSTDIR        ; StrCmp ignores letter case, as Windows does
    ${OrIf} $Entry == "$INSTDIR\"
      StrCpy $0 1
      ${Break}
    ${EndIf}
  ${Loop}
FunctionEnd

; Takes the first ";"-separated entry of $Rest into $Entry.
!macro NEXT_ENTRY un
Function ${un}NextEntry
  StrCpy $Entry ""
  StrCpy $1 0
  ${Do}
    StrCpy $2 $Rest 1 $1
    ${If} $2 == ""
      StrCpy $Entry $Rest
      StrCpy $Rest ""
      ${Break}
    ${EndIf}
    ${If} $2 == ";"
      StrCpy $Entry $Rest $1
      IntOp $1 $1 + 1
      StrCpy $Rest $Rest "" $1
      ${Break}
    ${EndIf}
    IntOp $1 $1 + 1
  ${Loop}
FunctionEnd
!macroend
!insertmacro NEXT_ENTRY ""
!insertmacro NEXT_ENTRY "un."

Section "Vestok"
  SetRegView 64
  SetOutPath "$INSTDIR"
  File "${STAGE}\vestok-cli.exe"
  File "${STAGE}\README.md"
  ; The settings the user already has are kept on an update.
  SetOverwrite off
  File "${STAGE}\Vestok.ini"
  SetOverwrite on
  ; vestok-cli saves its settings beside itself: the users may change them.
  nsExec::Exec 'icacls "$INSTDIR\Vestok.ini" /grant *S-1-5-32-545:M'
  Pop $0
  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${OWN_KEY}" "InstallDir" "$INSTDIR"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "Vestok ${VERSION}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1

  ; The PATH.
  ClearErrors
  ReadRegStr $PathValue HKLM "${ENV_KEY}" "Path"
  ${If} ${Errors}
  ${AndIf} $PathValue == ""
    ; Either no PATH at all, or one longer than a string here can hold.
    ClearErrors
    EnumRegValue $0 HKLM "${ENV_KEY}" 0
    StrCpy $1 0
    ${Do}
      EnumRegValue $0 HKLM "${ENV_KEY}" $1
      ${If} $0 == ""
        ${Break}
      ${EndIf}
      ${If} $0 == "Path"
        DetailPrint "PATH-ul sistemului este prea lung; Vestok nu a fost adaugat in PATH."
        MessageBox MB_OK|MB_ICONEXCLAMATION "PATH-ul sistemului este prea lung pentru a fi modificat de program.$\r$\nAdaugati manual in PATH dosarul:$\r$\n$INSTDIR" /SD IDOK
        Goto done
      ${EndIf}
      IntOp $1 $1 + 1
    ${Loop}
  ${EndIf}
  Call PathHasInstDir
  ${If} $0 == 1
    DetailPrint "Dosarul programului este deja in PATH."
    Goto done
  ${EndIf}
  StrLen $1 $PathValue
  StrLen $2 $INSTDIR
  IntOp $1 $1 + $2
  IntOp $1 $1 + 1
  ${If} $1 >= ${NSIS_MAX_STRLEN}
    DetailPrint "PATH-ul sistemului este prea lung; Vestok nu a fost adaugat in PATH."
    MessageBox MB_OK|MB_ICONEXCLAMATION "PATH-ul sistemului este prea lung pentru a fi modificat de program.$\r$\nAdaugati manual in PATH dosarul:$\r$\n$INSTDIR" /SD IDOK
    Goto done
  ${EndIf}
  ${If} $PathValue == ""
    StrCpy $PathValue "$INSTDIR"
  ${Else}
    StrCpy $2 $PathValue 1 -1
    ${If} $2 == ";"
      StrCpy $PathValue "$PathValue$INSTDIR"
    ${Else}
      StrCpy $PathValue "$PathValue;$INSTDIR"
    ${EndIf}
  ${EndIf}
  WriteRegExpandStr HKLM "${ENV_KEY}" "Path" $PathValue
  WriteRegDWORD HKLM "${OWN_KEY}" "AddedToPath" 1
  SendMessage ${HWND_BROADCAST} ${WM_WININICHANGE} 0 "STR:Environment" /TIMEOUT=5000
  DetailPrint "Dosarul programului a fost adaugat in PATH."
  done:
SectionEnd

Section "Uninstall"
  SetRegView 64
  ReadRegDWORD $0 HKLM "${OWN_KEY}" "AddedToPath"
  ${If} $0 == 1
    ClearErrors
    ReadRegStr $PathValue HKLM "${ENV_KEY}" "Path"
    ${IfNot} ${Errors}
      ; Every entry but ours, in their order.
      StrCpy $Rest $PathValue
      StrCpy $Kept ""
      StrCpy $3 0
      ${Do}
        ${If} $Rest == ""
          ${Break}
        ${EndIf}
        Call un.NextEntry
        ${If} $Entry == $INSTDIR
        ${OrIf} $Entry == "$INSTDIR\"
          ${If} $3 == 0
            StrCpy $3 1
            ${Continue}
          ${EndIf}
        ${EndIf}
        ${If} $Kept == ""
          StrCpy $Kept $Entry
        ${Else}
          StrCpy $Kept "$Kept;$Entry"
        ${EndIf}
      ${Loop}
      WriteRegExpandStr HKLM "${ENV_KEY}" "Path" $Kept
      SendMessage ${HWND_BROADCAST} ${WM_WININICHANGE} 0 "STR:Environment" /TIMEOUT=5000
    ${EndIf}
  ${EndIf}
  Delete "$INSTDIR\vestok-cli.exe"
  Delete "$INSTDIR\README.md"
  Delete "$INSTDIR\uninstall.exe"
  ; Settings the user changed stay, as on Linux.
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINST_KEY}"
  DeleteRegKey HKLM "${OWN_KEY}"
SectionEnd
