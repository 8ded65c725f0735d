; Installer of the automation component suite. Installs the 64-bit DLLs into
; <folder>\x64 and the 32-bit ones into <folder>\x86, and registers each with
; the regsvr32 of its own bitness: System32\regsvr32 for x64, SysWOW64\regsvr32
; for x86 where the system has it. The uninstaller unregisters them the same
; way before it deletes them. Silent with /S, the folder with /D=<path>.
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
InstallDir "$PROGRAMFILES64\${PRODUCT}"
RequestExecutionLevel admin
ShowInstDetails show
ShowUninstDetails show

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Var Failures

; Runs <regsvr32> [/u] /s on every DLL of a folder; counts the failures.
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
  SetOutPath "$INSTDIR\x64"
  File "${DIST}\x64\*.dll"
  SetOutPath "$INSTDIR\x86"
  File /nonfatal "${DIST}\x86\*.dll"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  !insertmacro RegisterAll "" "$SYSDIR\regsvr32.exe" "$INSTDIR\x64" "/s"
  ${If} ${FileExists} "$WINDIR\SysWOW64\regsvr32.exe"
    !insertmacro RegisterAll "" "$WINDIR\SysWOW64\regsvr32.exe" "$INSTDIR\x86" "/s"
  ${Else}
    DetailPrint "No 32-bit regsvr32 on this system: the x86 DLLs are installed but not registered"
  ${EndIf}

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

  ${If} $Failures != 0
    DetailPrint "$Failures registrations failed"
    SetErrorLevel 2
  ${EndIf}
SectionEnd

Section "Uninstall"
  StrCpy $Failures 0
  !insertmacro RegisterAll "un." "$SYSDIR\regsvr32.exe" "$INSTDIR\x64" "/u /s"
  ${If} ${FileExists} "$WINDIR\SysWOW64\regsvr32.exe"
    !insertmacro RegisterAll "un." "$WINDIR\SysWOW64\regsvr32.exe" "$INSTDIR\x86" "/u /s"
  ${EndIf}
  Delete "$INSTDIR\x64\*.dll"
  Delete "$INSTDIR\x86\*.dll"
  RMDir "$INSTDIR\x64"
  RMDir "$INSTDIR\x86"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ${If} $Failures != 0
    SetErrorLevel 2
  ${EndIf}
SectionEnd
