; The agent's installer: one program for a first install, an upgrade and, published
; by the update server, the program update that the agent saves as tvac_update.exe
; and opens. Built by makensis in the windows build (installer/CMakeLists.txt):
;   makensis -DVERSION=3.0 -DVERSION4=3.0.0.0 -DPROGRAM=tvac.exe -DRES_DIR=res
;            -DDATABASE=pattern.ini -DOUTFILE=tvac-setup-3.0.exe tvac-setup.nsi
; /S installs silently; "start with Windows" then keeps what the machine had (on for
; a first install).
;
; What it leaves alone: the user's settings under HKCU\Software\TalvoAntiVirus (only
; the recorded program version is raised to this one), and a database at least as new
; as the one it carries. The running agent is asked to end by a close message to its
; window, never by ending a process.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include MUI2.nsh
!include LogicLib.nsh
!include Sections.nsh
!include WordFunc.nsh
!include FileFunc.nsh
!include WinMessages.nsh

!macro REQUIRE define
  !ifndef ${define}
    !error "-D${define}=... is missing"
  !endif
!macroend
!insertmacro REQUIRE VERSION
!insertmacro REQUIRE VERSION4
!insertmacro REQUIRE PROGRAM
!insertmacro REQUIRE RES_DIR
!insertmacro REQUIRE DATABASE
!insertmacro REQUIRE OUTFILE

!define PRODUCT "탈보안티바이러스"
!define PUBLISHER "Talvo"
!define MAIN_TITLE "Talvo AntiVirus"
!define SETTINGS_KEY "Software\TalvoAntiVirus"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "TalvoAntiVirus"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\TalvoAntiVirus"
; How long the running agent may take to end (it lets a cure finish its current item).
!define AGENT_END_MS 15000

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Talvo AntiVirus"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails hide
ShowUninstDetails hide

VIProductVersion "${VERSION4}"
VIFileVersion "${VERSION4}"

!define MUI_ICON "${RES_DIR}/app.ico"
!define MUI_UNICON "${RES_DIR}/app.ico"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${RES_DIR}/installer.bmp"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\tvac.exe"
!define MUI_FINISHPAGE_RUN_TEXT "$(RunNow)"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipFinishWhenRestarted
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Korean"
; The dialog face, not the language file's "굴림": every system maps it to a face
; that shows Hangul (a Korean one to Gulim, a Western one links it to a Korean face),
; while Gulim itself may not be installed.
SetFont /LANG=${LANG_KOREAN} "MS Shell Dlg" 9

VIAddVersionKey /LANG=${LANG_KOREAN} "ProductName" "${MAIN_TITLE}"
VIAddVersionKey /LANG=${LANG_KOREAN} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_KOREAN} "FileDescription" "${PRODUCT} ${VERSION} 설치"
VIAddVersionKey /LANG=${LANG_KOREAN} "FileVersion" "${VERSION4}"
VIAddVersionKey /LANG=${LANG_KOREAN} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_KOREAN} "LegalCopyright" "${PUBLISHER}"

LangString SectionProgram ${LANG_KOREAN} "${PRODUCT} 프로그램"
LangString SectionRunAtStart ${LANG_KOREAN} "Windows 시작 시 ${PRODUCT} 자동 실행"
LangString RunNow ${LANG_KOREAN} "${PRODUCT} 실행"
LangString AgentStillRunning ${LANG_KOREAN} \
  "실행 중인 ${PRODUCT}가 종료되지 않았습니다.$\r$\n프로그램을 종료한 뒤 다시 시도하여 주십시오."
LangString AskRemoveSettings ${LANG_KOREAN} \
  "${PRODUCT}의 환경설정과 검사 기록도 삭제하시겠습니까?"

Var AgentWasRunning

; Asks the running agent to end: a close message to its main window (the unowned
; top-level window titled "Talvo AntiVirus"; its exit question shares the title but
; has an owner), then waits for its process. Sets AgentWasRunning to 1 when one
; ended. An agent that does not end in time leaves the choice of trying again or
; giving up; a silent run gives up.
!macro END_AGENT un
Function ${un}EndAgent
  StrCpy $AgentWasRunning 0
  retry:
  StrCpy $R0 0
  find:
    FindWindow $R0 "" "${MAIN_TITLE}" 0 $R0
    ${If} $R0 == 0
      Return
    ${EndIf}
    System::Call 'user32::GetWindow(p R0, i 4) p .R1'  ; GW_OWNER
    StrCmp $R1 0 0 find
  System::Call 'user32::GetWindowThreadProcessId(p R0, *i 0 R2) i'
  System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i R2) p .R3'  ; SYNCHRONIZE
  SendMessage $R0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
  ${If} $R3 P<> 0
    System::Call 'kernel32::WaitForSingleObject(p R3, i ${AGENT_END_MS}) i .R4'
    System::Call 'kernel32::CloseHandle(p R3)'
  ${Else}
    StrCpy $R4 1  ; the process could not be watched: look for the window again
    Sleep 1000
    FindWindow $R1 "" "${MAIN_TITLE}"
    StrCmp $R1 0 0 +2
      StrCpy $R4 0
  ${EndIf}
  ${If} $R4 == 0
    StrCpy $AgentWasRunning 1
    Return
  ${EndIf}
  MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(AgentStillRunning)" /SD IDCANCEL IDRETRY retry
  Abort
FunctionEnd
!macroend
!insertmacro END_AGENT ""
!insertmacro END_AGENT "un."

; The date of a database's date line (its last word), or empty.
Function DatabaseDate
  Exch $0
  ReadINIStr $0 "$0" "DBINFO" "Info"
  ${WordFind} "$0" " " "-1" $0
  Exch $0
FunctionEnd

; Puts the database in place unless the installed one is at least as new.
Function InstallDatabase
  InitPluginsDir
  File "/oname=$PLUGINSDIR\pattern.ini" "${DATABASE}"
  ${If} ${FileExists} "$INSTDIR\pattern.ini"
    Push "$INSTDIR\pattern.ini"
    Call DatabaseDate
    Pop $1
    Push "$PLUGINSDIR\pattern.ini"
    Call DatabaseDate
    Pop $2
    ${VersionCompare} "$1" "$2" $3
    ${If} $3 != 2
      DetailPrint "pattern.ini $1 >= $2"
      Return
    ${EndIf}
  ${EndIf}
  CopyFiles /SILENT "$PLUGINSDIR\pattern.ini" "$INSTDIR"
FunctionEnd

; The version as the agent compares versions: without its dots, as a number.
!macro VERSION_NUMBER text result
  ${WordReplace} "${text}" "." "" "+" ${result}
  IntOp ${result} ${result} + 0
!macroend

Section "$(SectionProgram)" SecProgram
  SectionIn RO
  Call EndAgent
  SetOutPath "$INSTDIR"
  File "${PROGRAM}"
  File "${RES_DIR}/sound.wav"
  File "${RES_DIR}/update.wav"
  Call InstallDatabase
  WriteUninstaller "$INSTDIR\uninstall.exe"

  SetShellVarContext all
  CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\tvac.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tvac.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0

  ; The agent offers a program update while the recorded version is lower than the
  ; published one: after a manual install it is this version, unless the update that
  ; brought this installer recorded a higher one.
  ReadRegStr $0 HKCU "${SETTINGS_KEY}\Updates" "ver"
  !insertmacro VERSION_NUMBER "$0" $1
  !insertmacro VERSION_NUMBER "${VERSION}" $2
  ${If} $1 < $2
    WriteRegStr HKCU "${SETTINGS_KEY}\Updates" "ver" "${VERSION}"
  ${EndIf}
SectionEnd

Section "$(SectionRunAtStart)" SecRunAtStart
  ; Quoted, as the agent writes it.
  WriteRegStr HKCU "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\tvac.exe"'
SectionEnd

Section "-Finish"
  ${IfNot} ${SectionIsSelected} ${SecRunAtStart}
    DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${EndIf}
  ${If} $AgentWasRunning == 1
    Exec '"$INSTDIR\tvac.exe"'
  ${EndIf}
SectionEnd

Function .onInit
  ; "Start with Windows" as the machine has it; on for a first install.
  ClearErrors
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${IfNot} ${Errors}
    ClearErrors
    ReadRegStr $0 HKCU "${RUN_KEY}" "${RUN_VALUE}"
    ${If} ${Errors}
      !insertmacro UnselectSection ${SecRunAtStart}
    ${EndIf}
  ${EndIf}
FunctionEnd

; The agent that was running is running again: the finish page would start it twice.
Function SkipFinishWhenRestarted
  ${If} $AgentWasRunning == 1
    Abort
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Call un.EndAgent
  ; The program's files: what the installer put here and what the agent itself
  ; keeps beside it (a pending update description, a downloaded installer, the
  ; temporary file of a download). Anything else in the folder stays, and so does
  ; the folder then.
  Delete "$INSTDIR\tvac.exe"
  Delete "$INSTDIR\sound.wav"
  Delete "$INSTDIR\update.wav"
  Delete "$INSTDIR\pattern.ini"
  Delete "$INSTDIR\updates.ini"
  Delete "$INSTDIR\tvac_update.exe"
  Delete "$INSTDIR\pattern.ini.download"
  Delete "$INSTDIR\updates.ini.download"
  Delete "$INSTDIR\tvac_update.exe.download"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  SetShellVarContext all
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"

  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "$(AskRemoveSettings)" /SD IDNO IDNO done
    DeleteRegKey HKCU "${SETTINGS_KEY}"
  done:
SectionEnd
