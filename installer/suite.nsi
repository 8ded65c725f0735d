; Installer of the automation component suite, for all users of the machine
; or for the current user only. Installs the 64-bit DLLs into <folder>\x64
; and the 32-bit ones into <folder>\x86, and registers each with the regsvr32
; of its own bitness: System32\regsvr32 for x64, SysWOW64\regsvr32 for x86
; where the system has it. The uninstaller unregisters them the same way
; before it deletes them.
;
; Command line: /S silent, /D=<path> the folder (last, no quotes),
; /AllUsers or /CurrentUser the mode. Without a mode: all users when the
; installer runs with administrator rights, else the current user.
;   all users:    %ProgramFiles%\Automation Component Suite, the machine's
;                 classes (regsvr32 /s), the entry under HKLM's Uninstall;
;                 needs administrator rights (run it elevated).
;   current user: %LOCALAPPDATA%\Programs\Automation Component Suite, the
;                 user's classes (regsvr32 /s /n /i:user), the entry under
;                 HKCU's Uninstall; needs no administrator rights.
; The uninstaller takes the mode of the entry that names its folder.
;
; A DLL that a running program holds loaded can be neither replaced nor
; removed. The installer then puts the new file beside it (<folder>\.update)
; and has Windows move it into place at the next restart; the uninstaller
; has Windows remove it then. Either says so, and ends with exit code 3010
; (restart required) instead of 0. Exit code 2: something failed (a
; registration, a file that could not even be scheduled); it wins over 3010.
;
;   makensis -DDIST=<dist folder> -DOUTFILE=<setup.exe> -DVERSION=<x.y.z> installer/suite.nsi

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma

!ifndef DIST
  !error "DIST (the folder holding x64 and x86) is required"
!endif
!ifndef OUTFILE
  !define OUTFILE "suite-setup.exe"
!endif
!ifndef VERSION
  !define VERSION "1.0.0"
!endif
!define PRODUCT "Automation Component Suite"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\AutomationComponentSuite"

!include LogicLib.nsh
!include FileFunc.nsh

Name "${PRODUCT}"
OutFile "${OUTFILE}"
; No InstallDir: the default folder depends on the mode and is set in .onInit,
; where an empty $INSTDIR means that no /D was given.
; Asks for no elevation: the per-user mode needs none, and the all-users mode
; is for an installer that was started elevated.
RequestExecutionLevel user
ShowInstDetails show
ShowUninstDetails show

Var Failures
Var Mode          ; AllUsers or CurrentUser
Var ModeText
Var RegSwitches   ; regsvr32's switches of the mode

DirText "$ModeText"
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; The mode: /AllUsers or /CurrentUser from the command line, else the
; default the caller put into $Mode. All users needs administrator rights.
; Sets the registry root of SHCTX and regsvr32's switches.
!macro ChooseModeFunction UN
Function ${UN}ChooseMode
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/AllUsers" $1
  ${IfNot} ${Errors}
    ClearErrors
    ${GetOptions} $0 "/CurrentUser" $1
    ${IfNot} ${Errors}
      MessageBox MB_OK|MB_ICONSTOP "Give /AllUsers or /CurrentUser, not both." /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
    StrCpy $Mode AllUsers
  ${EndIf}
  ClearErrors
  ${GetOptions} $0 "/CurrentUser" $1
  ${IfNot} ${Errors}
    StrCpy $Mode CurrentUser
  ${EndIf}
  ${If} $Mode == AllUsers
    UserInfo::GetAccountType
    Pop $0
    ${If} $0 != "Admin"
      MessageBox MB_OK|MB_ICONSTOP "$(^Name) for all users needs administrator rights: start it elevated, or with /CurrentUser for yourself only." /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
    SetShellVarContext all
    StrCpy $RegSwitches "/s"
    StrCpy $ModeText "$(^Name) will be installed for all users of this computer."
  ${Else}
    SetShellVarContext current
    StrCpy $RegSwitches "/s /n /i:user"
    StrCpy $ModeText "$(^Name) will be installed for you only."
  ${EndIf}
FunctionEnd
!macroend
!insertmacro ChooseModeFunction ""
!insertmacro ChooseModeFunction "un."

; Whether the folder named in the uninstall entry of a hive (HKLM or HKCU,
; on the stack) is $INSTDIR: "yes" or "no" on the stack. Compared in their
; short forms, so that case, long and short names do not matter; a folder
; that does not exist is nobody's.
!macro OwnsFolderFunction UN
Function ${UN}OwnsFolder
  Exch $0
  Push $1
  ${If} $0 == HKLM
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${Else}
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${EndIf}
  ${If} $0 != ""
    GetFullPathName /SHORT $0 $0
  ${EndIf}
  GetFullPathName /SHORT $1 $INSTDIR
  ${If} $0 != ""
  ${AndIf} $0 == $1
    StrCpy $0 yes
  ${Else}
    StrCpy $0 no
  ${EndIf}
  Pop $1
  Exch $0
FunctionEnd
!macroend
!insertmacro OwnsFolderFunction ""
!insertmacro OwnsFolderFunction "un."

; Moves every DLL of the staging folder FROM into the folder TO. One that
; cannot be replaced now (in use) replaces the old one at the next restart.
!macro PlaceDlls FROM TO
  Push $0
  Push $1
  Push $2
  ClearErrors
  FindFirst $0 $1 "${FROM}\*.dll"
  ${DoWhile} $1 != ""
    ${IfNot} ${Errors}
      ; Testing the error flag clears it: what failed is kept in $2.
      StrCpy $2 placed
      ClearErrors
      Delete "${TO}\$1"
      ${If} ${Errors}
        StrCpy $2 "in use"
      ${Else}
        Rename "${FROM}\$1" "${TO}\$1"
        ${If} ${Errors}
          StrCpy $2 "in use"
        ${EndIf}
      ${EndIf}
      ${If} $2 == "in use"
        ClearErrors
        Rename /REBOOTOK "${FROM}\$1" "${TO}\$1"
        ${If} ${Errors}
          DetailPrint "${TO}\$1 could not be replaced"
          IntOp $Failures $Failures + 1
        ${Else}
          DetailPrint "${TO}\$1 is in use: it is replaced at the next restart"
        ${EndIf}
      ${EndIf}
    ${EndIf}
    ClearErrors
    FindNext $0 $1
    ${If} ${Errors}
      StrCpy $1 ""
    ${EndIf}
  ${Loop}
  FindClose $0
  ; Empty unless a file waits for the restart: then it goes after that file.
  RMDir /REBOOTOK "${FROM}"
  Pop $2
  Pop $1
  Pop $0
!macroend

; Deletes every DLL of a folder, or has it deleted at the next restart when
; it is in use, and says which.
!macro RemoveDlls FOLDER
  Push $0
  Push $1
  ClearErrors
  FindFirst $0 $1 "${FOLDER}\*.dll"
  ${DoWhile} $1 != ""
    ${IfNot} ${Errors}
      ClearErrors
      Delete /REBOOTOK "${FOLDER}\$1"
      ${If} ${Errors}
        DetailPrint "${FOLDER}\$1 could not be removed"
        IntOp $Failures $Failures + 1
      ${ElseIf} ${FileExists} "${FOLDER}\$1"
        DetailPrint "${FOLDER}\$1 is in use: it is removed at the next restart"
      ${EndIf}
    ${EndIf}
    ClearErrors
    FindNext $0 $1
    ${If} ${Errors}
      StrCpy $1 ""
    ${EndIf}
  ${Loop}
  FindClose $0
  RMDir /REBOOTOK "${FOLDER}"
  Pop $1
  Pop $0
!macroend

; The end of a run: exit code 2 after a failure, else 3010 when files wait
; for the restart (with the offer to restart now), else 0.
!macro Finish DONE
  ${If} $Failures != 0
    DetailPrint "$Failures steps failed"
    SetErrorLevel 2
  ${ElseIf} ${RebootFlag}
    DetailPrint "Some files are in use by a running program: ${DONE} will be complete after the next restart of Windows"
    SetErrorLevel 3010
    MessageBox MB_YESNO|MB_ICONINFORMATION "Some files are in use by a running program: ${DONE} will be complete after the next restart of Windows.$\r$\n$\r$\nRestart now?" /SD IDNO IDNO +2
      Reboot
  ${EndIf}
!macroend

Function .onInit
  UserInfo::GetAccountType
  Pop $0
  StrCpy $Mode CurrentUser
  ${If} $0 == "Admin"
    StrCpy $Mode AllUsers
  ${EndIf}
  Call ChooseMode
  ${If} $INSTDIR == ""
    ${If} $Mode == AllUsers
      StrCpy $INSTDIR "$PROGRAMFILES64\${PRODUCT}"
    ${Else}
      StrCpy $INSTDIR "$LOCALAPPDATA\Programs\${PRODUCT}"
    ${EndIf}
  ${EndIf}
FunctionEnd

; The uninstaller takes the mode of the entry that names its folder; a
; folder that no entry names (a half-removed install) takes the installer's
; default. A mode on the command line wins.
Function un.onInit
  Push HKCU
  Call un.OwnsFolder
  Pop $1
  Push HKLM
  Call un.OwnsFolder
  Pop $2
  UserInfo::GetAccountType
  Pop $0
  StrCpy $Mode CurrentUser
  ${If} $1 == yes
    StrCpy $Mode CurrentUser
  ${ElseIf} $2 == yes
  ${OrIf} $0 == "Admin"
    StrCpy $Mode AllUsers
  ${EndIf}
  Call un.ChooseMode
FunctionEnd

; Runs <regsvr32> <switches> on every DLL of a folder; counts the failures.
!macro RegisterAll UN REGSVR32 FOLDER SWITCHES
  Push $0
  Push $1
  Push $2
  ClearErrors
  FindFirst $0 $1 "${FOLDER}\*.dll"
  ${DoWhile} $1 != ""
    ${IfNot} ${Errors}
      ; A regsvr32 that could not be started leaves the exit code variable
      ; as it was and sets the error flag: that is a failure too, and worth
      ; one more try.
      ClearErrors
      StrCpy $2 "not started"
      ExecWait '"${REGSVR32}" ${SWITCHES} "${FOLDER}\$1"' $2
      ${If} ${Errors}
      ${OrIf} $2 != 0
        Sleep 500
        ClearErrors
        StrCpy $2 "not started"
        ExecWait '"${REGSVR32}" ${SWITCHES} "${FOLDER}\$1"' $2
        ${If} ${Errors}
          StrCpy $2 "not started"
        ${EndIf}
      ${EndIf}
      ${If} $2 == 0
        DetailPrint "regsvr32 ${SWITCHES} ${FOLDER}\$1: done"
      ${Else}
        DetailPrint "regsvr32 ${SWITCHES} ${FOLDER}\$1: failed ($2)"
        IntOp $Failures $Failures + 1
      ${EndIf}
    ${EndIf}
    ClearErrors
    FindNext $0 $1
    ${If} ${Errors}
      StrCpy $1 ""
    ${EndIf}
  ${Loop}
  FindClose $0
  Pop $2
  Pop $1
  Pop $0
!macroend

Section "Components"
  StrCpy $Failures 0
  ; The other mode's folder: sharing it would let one uninstaller delete the
  ; other's files.
  ${If} $Mode == AllUsers
    Push HKCU
  ${Else}
    Push HKLM
  ${EndIf}
  Call OwnsFolder
  Pop $0
  ${If} $0 == yes
    MessageBox MB_OK|MB_ICONSTOP "$INSTDIR holds the installation of the other mode: choose another folder." /SD IDOK
    SetErrorLevel 2
    Abort
  ${EndIf}
  ; Unpacked beside the folders first, so that a DLL in use can be replaced
  ; at the next restart by a file that is already on the same volume.
  SetOutPath "$INSTDIR\.update\x64"
  File "${DIST}\x64\*.dll"
  SetOutPath "$INSTDIR\.update\x86"
  File /nonfatal "${DIST}\x86\*.dll"
  ; Out of the staging folder, which is the current directory now and could
  ; not be removed.
  SetOutPath "$INSTDIR"
  CreateDirectory "$INSTDIR\x64"
  CreateDirectory "$INSTDIR\x86"
  !insertmacro PlaceDlls "$INSTDIR\.update\x64" "$INSTDIR\x64"
  !insertmacro PlaceDlls "$INSTDIR\.update\x86" "$INSTDIR\x86"
  RMDir /REBOOTOK "$INSTDIR\.update"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  !insertmacro RegisterAll "" "$SYSDIR\regsvr32.exe" "$INSTDIR\x64" "$RegSwitches"
  ${If} ${FileExists} "$WINDIR\SysWOW64\regsvr32.exe"
    !insertmacro RegisterAll "" "$WINDIR\SysWOW64\regsvr32.exe" "$INSTDIR\x86" "$RegSwitches"
  ${Else}
    DetailPrint "No 32-bit regsvr32 on this system: the x86 DLLs are installed but not registered"
  ${EndIf}

  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  !insertmacro Finish "the installation"
SectionEnd

Section "Uninstall"
  StrCpy $Failures 0
  !insertmacro RegisterAll "un." "$SYSDIR\regsvr32.exe" "$INSTDIR\x64" "/u $RegSwitches"
  ${If} ${FileExists} "$WINDIR\SysWOW64\regsvr32.exe"
    !insertmacro RegisterAll "un." "$WINDIR\SysWOW64\regsvr32.exe" "$INSTDIR\x86" "/u $RegSwitches"
  ${EndIf}
  !insertmacro RemoveDlls "$INSTDIR\x64"
  !insertmacro RemoveDlls "$INSTDIR\x86"
  ; New files of an upgrade that still wait for a restart.
  ${If} ${FileExists} "$INSTDIR\.update\*.*"
    !insertmacro RemoveDlls "$INSTDIR\.update\x64"
    !insertmacro RemoveDlls "$INSTDIR\.update\x86"
    RMDir /REBOOTOK "$INSTDIR\.update"
  ${EndIf}
  ; Run in place (_?=) the uninstaller cannot delete itself: that alone asks
  ; for no restart, so the folder goes at the restart only when one is
  ; needed anyway.
  Delete "$INSTDIR\uninstall.exe"
  ${If} ${RebootFlag}
    RMDir /REBOOTOK "$INSTDIR"
  ${Else}
    RMDir "$INSTDIR"
  ${EndIf}
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  !insertmacro Finish "the removal"
SectionEnd
