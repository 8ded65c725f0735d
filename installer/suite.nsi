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
; removed, and only administrator rights can have Windows replace or remove
; it at the next restart (without them Windows refuses that silently). So:
;   all users:    the new file waits beside the old one (<folder>\.update)
;                 and Windows moves it into place at the next restart, where
;                 a RunOnce entry registers it (the old DLL stays registered
;                 until then); the uninstaller moves a held DLL aside
;                 (<folder>\.removed) and has Windows remove it then, so that
;                 a reinstall before the restart finds its place free. Either
;                 names the held files and their programs and ends with exit
;                 code 3010 (restart required) instead of 0.
;   current user: nothing is scheduled. Before it changes anything the run
;                 names the held files and the programs that hold them, asks
;                 to close them (Retry, Cancel) and tries again; cancelled
;                 (or silent) it ends with exit code 2 and leaves the
;                 installed version as it was, registered and working.
; Exit code 2: something failed (a registration, a file that could not be
; replaced or scheduled, a cancelled run); it wins over 3010.
; An uninstall entry for all users re-launches the uninstaller elevated.
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
; The registrations that wait for a restart: one value per DLL.
!define RUNONCE_KEY "Software\Microsoft\Windows\CurrentVersion\RunOnce"
!define RUNONCE_PREFIX "AutomationComponentSuite"

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
Var Held          ; the held DLLs, one line each, with the programs holding them
Var HeldCount

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
    StrCpy $ModeText "$(^Name) will be installed for you only. Programs you start normally find it; programs run as administrator (elevated) do not: for them install it for all users."
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

; What a DLL in use does to a run, by mode: "schedule" (all users: Windows
; replaces or removes it at the next restart, which needs administrator
; rights) or "ask" (per user: no restart can do it, so the run asks to close
; the programs holding it and tries again). Pushes the answer.
!macro InUsePlanFunction UN
Function ${UN}InUsePlan
  ${If} $Mode == AllUsers
    Push schedule
  ${Else}
    Push ask
  ${EndIf}
FunctionEnd
!macroend
!insertmacro InUsePlanFunction ""
!insertmacro InUsePlanFunction "un."

; The programs that hold the file $R0 open, by the Restart Manager, as
; "name (process id), ..." in $R1; empty where it names none.
!macro HostsOfFunction UN
Function ${UN}HostsOf
  Push $0
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  Push $6
  Push $7
  Push $8
  Push $9
  Push $R2
  StrCpy $R1 ""
  System::Call 'rstrtmgr::RmStartSession(*i .r1, i 0, w .r2) i .r0'
  ${If} $0 == 0
    ; An array of one pointer to the path.
    System::Call '*(&w${NSIS_MAX_STRLEN} "$R0") p .r3'
    System::Call '*(p r3) p .r4'
    System::Call 'rstrtmgr::RmRegisterResources(i r1, i 1, p r4, i 0, p 0, i 0, p 0) i .r0'
    ${If} $0 == 0
      ; Room for 16 RM_PROCESS_INFO records of 668 bytes: the process id
      ; first, its start time, then the program's name (256 characters).
      System::Alloc 10688
      Pop $5
      StrCpy $6 16
      System::Call 'rstrtmgr::RmGetList(i r1, *i .r7, *i r6 r6, p r5, *i .r8) i .r0'
      ${If} $0 == 0
        StrCpy $7 0
        ${DoWhile} $7 < $6
          IntOp $8 $7 * 668
          IntPtrOp $8 $5 + $8
          System::Call '*$8(i .r9, i .r2, i .r2, &w256 .R2)'
          ${If} $R1 != ""
            StrCpy $R1 "$R1, "
          ${EndIf}
          StrCpy $R1 "$R1$R2 ($9)"
          IntOp $7 $7 + 1
        ${Loop}
      ${EndIf}
      System::Free $5
    ${EndIf}
    System::Free $4
    System::Free $3
    System::Call 'rstrtmgr::RmEndSession(i r1)'
  ${EndIf}
  Pop $R2
  Pop $9
  Pop $8
  Pop $7
  Pop $6
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro HostsOfFunction ""
!insertmacro HostsOfFunction "un."

; Adds to $Held and $HeldCount every DLL of the folder on the stack that a
; running program holds: one that cannot be opened for writing, as a loaded
; DLL cannot be.
!macro HeldInFunction UN
Function ${UN}HeldIn
  Exch $0
  Push $1
  Push $2
  Push $R0
  Push $R1
  ClearErrors
  FindFirst $1 $2 "$0\*.dll"
  ${DoWhile} $2 != ""
    ${IfNot} ${Errors}
      ClearErrors
      FileOpen $R1 "$0\$2" a
      ${If} ${Errors}
        StrCpy $R0 "$0\$2"
        Call ${UN}HostsOf
        ${If} $R1 != ""
          StrCpy $Held "$Held$R0 (in use by $R1)$\r$\n"
        ${Else}
          StrCpy $Held "$Held$R0$\r$\n"
        ${EndIf}
        IntOp $HeldCount $HeldCount + 1
      ${Else}
        FileClose $R1
      ${EndIf}
    ${EndIf}
    ClearErrors
    FindNext $1 $2
    ${If} ${Errors}
      StrCpy $2 ""
    ${EndIf}
  ${Loop}
  FindClose $1
  Pop $R1
  Pop $R0
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro HeldInFunction ""
!insertmacro HeldInFunction "un."

; The installed DLLs that running programs hold: $HeldCount and $Held.
!macro HeldFilesFunction UN
Function ${UN}HeldFiles
  StrCpy $HeldCount 0
  StrCpy $Held ""
  Push "$INSTDIR\x64"
  Call ${UN}HeldIn
  Push "$INSTDIR\x86"
  Call ${UN}HeldIn
FunctionEnd
!macroend
!insertmacro HeldFilesFunction ""
!insertmacro HeldFilesFunction "un."

; Per user, before anything is changed: while installed DLLs are held, names
; them and the programs holding them and asks to close those (Retry) or to
; stop (Cancel; silent runs stop at once). Stopped, the run ends with exit
; code 2 and the installed version stays as it was. WHAT is "replaced" or
; "removed", KEEP what stays.
!macro WaitForHeldFiles UN WHAT KEEP
  ${Do}
    Call ${UN}HeldFiles
    ${If} $HeldCount == 0
      ${Break}
    ${EndIf}
    DetailPrint "In use, cannot be ${WHAT}:$\r$\n$Held"
    StrCpy $0 retry
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "These files of $(^Name) are in use and cannot be ${WHAT}:$\r$\n$\r$\n$Held$\r$\nClose the programs that use them and choose Retry, or choose Cancel to ${KEEP}." /SD IDCANCEL IDRETRY +2
      StrCpy $0 cancel
    ${If} $0 == cancel
      DetailPrint "Cancelled: nothing was changed"
      SetErrorLevel 2
      Abort
    ${EndIf}
  ${Loop}
!macroend

; Moves every DLL of the staging folder FROM into the folder TO. One that
; cannot be replaced now (in use) is, for all users, replaced at the next
; restart and registered after it by a RunOnce entry (REGSVR32 with the
; mode's switches), named after ARCH and the file; per user it is a failure.
!macro PlaceDlls FROM TO ARCH REGSVR32
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
        Call InUsePlan
        Pop $2
        ClearErrors
        ${If} $2 == schedule
          Rename /REBOOTOK "${FROM}\$1" "${TO}\$1"
        ${Else}
          SetErrors
        ${EndIf}
        ${If} ${Errors}
          DetailPrint "${TO}\$1 is in use and could not be replaced"
          IntOp $Failures $Failures + 1
        ${Else}
          WriteRegStr HKLM "${RUNONCE_KEY}" "${RUNONCE_PREFIX} ${ARCH} $1" '"${REGSVR32}" $RegSwitches "${TO}\$1"'
          DetailPrint "${TO}\$1 is in use: it is replaced at the next restart and registered after it"
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
  ${If} $Mode == AllUsers
    RMDir /REBOOTOK "${FROM}"
  ${Else}
    RMDir /r "${FROM}"
  ${EndIf}
  Pop $2
  Pop $1
  Pop $0
!macroend

; Deletes every DLL of a folder. One in use (all users only: per user the
; run has waited until none is) is moved aside into <folder>\.removed and
; removed from there at the next restart, so that what waits for the
; restart never names a file that a reinstall puts back.
!macro RemoveDlls FOLDER
  Push $0
  Push $1
  Push $2
  ClearErrors
  FindFirst $0 $1 "${FOLDER}\*.dll"
  ${DoWhile} $1 != ""
    ${IfNot} ${Errors}
      ClearErrors
      Delete "${FOLDER}\$1"
      ${If} ${Errors}
        Call un.InUsePlan
        Pop $2
        ${If} $2 == schedule
          CreateDirectory "$INSTDIR\.removed"
          GetTempFileName $2 "$INSTDIR\.removed"
          Delete $2
          ClearErrors
          Rename "${FOLDER}\$1" $2
          ${If} ${Errors}
            StrCpy $2 "${FOLDER}\$1"
          ${EndIf}
          ClearErrors
          Delete /REBOOTOK $2
          ${If} ${Errors}
            DetailPrint "${FOLDER}\$1 could not be removed"
            IntOp $Failures $Failures + 1
          ${Else}
            DetailPrint "${FOLDER}\$1 is in use: it is removed at the next restart (as $2)"
          ${EndIf}
        ${Else}
          DetailPrint "${FOLDER}\$1 is in use and could not be removed"
          IntOp $Failures $Failures + 1
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
  ${If} $Mode == AllUsers
    RMDir /REBOOTOK "${FOLDER}"
  ${Else}
    RMDir "${FOLDER}"
  ${EndIf}
  Pop $2
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
    MessageBox MB_YESNO|MB_ICONINFORMATION "Some files are in use by a running program:$\r$\n$\r$\n$Held$\r$\n${DONE} will be complete after the next restart of Windows.$\r$\n$\r$\nRestart now?" /SD IDNO IDNO +2
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

; Started without administrator rights for an installation for all users
; (Settings' "Uninstall" starts it so): runs itself again elevated, waits,
; and ends with that run's exit code; a refused elevation is exit code 2.
Function un.Elevate
  ${GetParameters} $0
  ; SHELLEXECUTEINFOW of a 64-bit program, SEE_MASK_NOCLOSEPROCESS.
  System::Call '*(i 112, i 0x40, p $HWNDPARENT, w "runas", w "$EXEPATH", w "$0 /Elevated _?=$INSTDIR", p 0, i 1, i 0, p 0, p 0, p 0, p 0, i 0, i 0, p 0, p 0) p .r1'
  System::Call 'shell32::ShellExecuteExW(p r1) i .r2'
  ${If} $2 != 0
    System::Call '*$1(i, i, p, p, p, p, p, i, i, p, p, p, p, i, i, p, p .r3)'
    System::Call 'kernel32::WaitForSingleObject(p r3, i -1)'
    System::Call 'kernel32::GetExitCodeProcess(p r3, *i .r4)'
    System::Call 'kernel32::CloseHandle(p r3)'
    System::Free $1
    SetErrorLevel $4
  ${Else}
    System::Free $1
    MessageBox MB_OK|MB_ICONSTOP "$(^Name) is installed for all users: removing it needs administrator rights." /SD IDOK
    SetErrorLevel 2
  ${EndIf}
  Quit
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
  ; The all-users entry asks for elevation rather than failing.
  ${GetParameters} $3
  ClearErrors
  ${GetOptions} $3 "/CurrentUser" $4
  ${If} ${Errors}
  ${AndIf} $2 == yes
  ${AndIf} $0 != "Admin"
    ClearErrors
    ${GetOptions} $3 "/Elevated" $4
    ${If} ${Errors}
      Call un.Elevate
    ${EndIf}
  ${EndIf}
  Call un.ChooseMode
FunctionEnd

; Runs <regsvr32> <switches> on every DLL of a folder; counts the failures.
; The installer leaves out a DLL that is replaced at the next restart: its
; RunOnce entry registers the new file then, and the old one stays
; registered until then.
!macro RegisterAll UN REGSVR32 FOLDER SWITCHES ARCH
  Push $0
  Push $1
  Push $2
  ClearErrors
  FindFirst $0 $1 "${FOLDER}\*.dll"
  ${DoWhile} $1 != ""
    ${IfNot} ${Errors}
      StrCpy $2 ""
      !if "${UN}" == ""
        ReadRegStr $2 HKLM "${RUNONCE_KEY}" "${RUNONCE_PREFIX} ${ARCH} $1"
      !endif
      ${If} $2 != ""
        DetailPrint "${FOLDER}\$1 is registered after the restart"
      ${Else}
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

; Removes the registrations of ours that wait for a restart (RunOnce).
!macro ForgetPendingRegistrations
  Push $0
  Push $1
  Push $2
  StrCpy $0 0
  ${Do}
    EnumRegValue $1 HKLM "${RUNONCE_KEY}" $0
    ${If} $1 == ""
      ${Break}
    ${EndIf}
    StrCpy $2 $1 24
    ${If} $2 == "${RUNONCE_PREFIX}"
      DeleteRegValue HKLM "${RUNONCE_KEY}" $1
    ${Else}
      IntOp $0 $0 + 1
    ${EndIf}
  ${Loop}
  Pop $2
  Pop $1
  Pop $0
!macroend

Section "Components"
  StrCpy $Failures 0
  StrCpy $Held ""
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
  ; DLLs in use: per user nothing can wait for a restart, so the run waits
  ; for their programs (or stops) before it changes anything; for all users
  ; they are named in the closing message.
  Call InUsePlan
  Pop $0
  ${If} $0 == ask
    !insertmacro WaitForHeldFiles "" "replaced" "keep the installed version as it is"
  ${Else}
    Call HeldFiles
    ; An earlier upgrade's registrations that still wait for the restart:
    ; what is held now gets its entry again below, the rest is registered now.
    !insertmacro ForgetPendingRegistrations
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
  !insertmacro PlaceDlls "$INSTDIR\.update\x64" "$INSTDIR\x64" x64 "$SYSDIR\regsvr32.exe"
  !insertmacro PlaceDlls "$INSTDIR\.update\x86" "$INSTDIR\x86" x86 "$WINDIR\SysWOW64\regsvr32.exe"
  ${If} $Mode == AllUsers
    RMDir /REBOOTOK "$INSTDIR\.update"
  ${Else}
    RMDir /r "$INSTDIR\.update"
  ${EndIf}
  WriteUninstaller "$INSTDIR\uninstall.exe"

  !insertmacro RegisterAll "" "$SYSDIR\regsvr32.exe" "$INSTDIR\x64" "$RegSwitches" x64
  ${If} ${FileExists} "$WINDIR\SysWOW64\regsvr32.exe"
    !insertmacro RegisterAll "" "$WINDIR\SysWOW64\regsvr32.exe" "$INSTDIR\x86" "$RegSwitches" x86
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
  ${If} $Mode == CurrentUser
    DetailPrint "Installed for you only: programs you start normally find it; programs run as administrator do not (install it for all users for them)"
  ${EndIf}
  !insertmacro Finish "the installation"
SectionEnd

Section "Uninstall"
  StrCpy $Failures 0
  StrCpy $Held ""
  Call un.InUsePlan
  Pop $0
  ${If} $0 == ask
    !insertmacro WaitForHeldFiles "un." "removed" "leave $(^Name) installed"
  ${Else}
    Call un.HeldFiles
    ; A registration waiting for the restart would name a removed file.
    !insertmacro ForgetPendingRegistrations
  ${EndIf}
  !insertmacro RegisterAll "un." "$SYSDIR\regsvr32.exe" "$INSTDIR\x64" "/u $RegSwitches" x64
  ${If} ${FileExists} "$WINDIR\SysWOW64\regsvr32.exe"
    !insertmacro RegisterAll "un." "$WINDIR\SysWOW64\regsvr32.exe" "$INSTDIR\x86" "/u $RegSwitches" x86
  ${EndIf}
  !insertmacro RemoveDlls "$INSTDIR\x64"
  !insertmacro RemoveDlls "$INSTDIR\x86"
  ; New files of an upgrade that still wait for a restart.
  ${If} ${FileExists} "$INSTDIR\.update\*.*"
    !insertmacro RemoveDlls "$INSTDIR\.update\x64"
    !insertmacro RemoveDlls "$INSTDIR\.update\x86"
    ${If} $Mode == AllUsers
      RMDir /REBOOTOK "$INSTDIR\.update"
    ${Else}
      RMDir "$INSTDIR\.update"
    ${EndIf}
  ${EndIf}
  ; Run in place (_?=) the uninstaller cannot delete itself: that alone asks
  ; for no restart, so the folder goes at the restart only when one is
  ; needed anyway.
  Delete "$INSTDIR\uninstall.exe"
  ${If} ${RebootFlag}
    RMDir /REBOOTOK "$INSTDIR\.removed"
    RMDir /REBOOTOK "$INSTDIR"
  ${Else}
    RMDir "$INSTDIR\.removed"
    RMDir "$INSTDIR"
  ${EndIf}
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  !insertmacro Finish "the removal"
SectionEnd
