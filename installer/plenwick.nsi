; The setup program of Plenwick: a per-user install that needs no
; administrator. The program keeps its log and its backup folder beside
; itself, so it goes where the user may write: %LOCALAPPDATA%\Programs.
;
; Built by the Windows build (cmake/installer.cmake), which passes
;   -DBUILD_NSH=<build>/generated/setup.nsh
; holding the version, the files and the names shared with the program.
;
; It carries the time helper's setup (installer/plenwick-time.nsi) and,
; when asked, runs it with an administrator's rights.
;
; Command line: /S silent with the defaults; /AUTOSTART also writes the
; start-with-Windows entry; /TIMEHELPER also installs the time helper for
; all users (silently too, still asking for an administrator);
; /D=<folder> (last) installs elsewhere.

!ifndef BUILD_NSH
!error "makensis -DBUILD_NSH=<build>/generated/setup.nsh installer/plenwick.nsi"
!endif
!include "${BUILD_NSH}"
!include "${__FILEDIR__}\common.nsh"

RequestExecutionLevel user

!include "nsDialogs.nsh"
!include "WinMessages.nsh"

!define UNINST_KEY "${UNINSTALL_ROOT}\${APP_TITLE}"
!define SHORTCUT "$SMPROGRAMS\${APP_TITLE}.lnk"
; How long a running Plenwick may take to end after WM_CLOSE.
!define CLOSE_WAIT_MS 30000

Name "${APP_TITLE}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${APP_TITLE}"
; An upgrade goes where the last install went.
InstallDirRegKey HKCU "${UNINST_KEY}" "InstallLocation"
!insertmacro SETUP_VERSION_INFO "${APP_TITLE} Setup"

Var AutoStart     ; 1: write the start-with-Windows entry
Var AutoStartBox
Var WasRunning    ; 1: a Plenwick was ended and is started again
Var TimeHelper    ; 1: also run the time helper's setup
Var TimeHelperBox

!define MUI_WELCOMEPAGE_TEXT "This installs ${APP_TITLE} ${VERSION} for you alone, in your own programs folder; it needs no administrator.$\r$\n$\r$\nA running ${APP_TITLE} is ended and started again afterwards. Your schedules, settings and log are kept.$\r$\n$\r$\nClick Next to continue."
!insertmacro MUI_PAGE_WELCOME
Page custom OptionsPage OptionsPageLeave
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\${PROGRAM_NAME}"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${APP_TITLE} now"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; Ends every running Plenwick through its own Exit (WM_CLOSE to the clock
; window, which stores the window position) and waits for each process to
; end: a running program's file cannot be replaced or deleted. Sets
; $WasRunning. Gives up with an error box when one does not end.
!macro END_RUNNING_PLENWICK un
Function ${un}EndRunningPlenwick
    StrCpy $WasRunning 0
    StrCpy $R3 0
    ${Do}
        FindWindow $R0 "${CLOCK_CLASS}"
        ${If} $R0 == 0
            ${Break}
        ${EndIf}
        ; Each instance has its own window; more than a few means it
        ; does not go.
        ${If} $R3 >= 5
            Call ${un}NotEnding
        ${EndIf}
        IntOp $R3 $R3 + 1
        StrCpy $WasRunning 1
        DetailPrint "Ending the running ${APP_TITLE}"
        System::Call "user32::GetWindowThreadProcessId(p R0, *i .R1)"
        ; SYNCHRONIZE
        System::Call "kernel32::OpenProcess(i 0x00100000, i 0, i R1) p .R2"
        SendMessage $R0 ${WM_CLOSE} 0 0 /TIMEOUT=${CLOSE_WAIT_MS}
        ${If} $R2 != 0
            ; Its window goes before its file is free: wait for the process.
            System::Call "kernel32::WaitForSingleObject(p R2, i ${CLOSE_WAIT_MS}) i .R4"
            System::Call "kernel32::CloseHandle(p R2)"
            ${If} $R4 != 0
                Call ${un}NotEnding
            ${EndIf}
        ${Else}
            Sleep 1000
        ${EndIf}
    ${Loop}
FunctionEnd

Function ${un}NotEnding
    MessageBox MB_OK|MB_ICONSTOP "${APP_TITLE} is still running and does not end. Close it and run this again." /SD IDOK
    Abort
FunctionEnd
!macroend
!insertmacro END_RUNNING_PLENWICK ""
!insertmacro END_RUNNING_PLENWICK "un."

Function .onInit
    ; Unticked on a first install; an upgrade keeps the user's choice.
    StrCpy $AutoStart 0
    ClearErrors
    ReadRegStr $0 HKCU "${RUN_KEY}" "${RUN_ENTRY}"
    ${IfNot} ${Errors}
        StrCpy $AutoStart 1
    ${EndIf}
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/AUTOSTART" $1
    ${IfNot} ${Errors}
        StrCpy $AutoStart 1
    ${EndIf}
    ; Unticked unless asked for: it changes the computer for all users.
    StrCpy $TimeHelper 0
    ClearErrors
    ${GetOptions} $0 "/TIMEHELPER" $1
    ${IfNot} ${Errors}
        StrCpy $TimeHelper 1
    ${EndIf}
FunctionEnd

Function OptionsPage
    !insertmacro MUI_HEADER_TEXT "Options" "How ${APP_TITLE} starts and sets the clock."
    nsDialogs::Create 1018
    Pop $0
    ${If} $0 == error
        Abort
    ${EndIf}
    ${NSD_CreateCheckbox} 0 0 100% 12u "Start ${APP_TITLE} when Windows starts"
    Pop $AutoStartBox
    ${If} $AutoStart = 1
        ${NSD_Check} $AutoStartBox
    ${EndIf}
    ${NSD_CreateLabel} 0 20u 100% 24u "You can change this later in ${APP_TITLE}'s settings."
    Pop $0
    ${NSD_CreateCheckbox} 0 52u 100% 12u "Also install the time helper for all users (asks for an administrator)"
    Pop $TimeHelperBox
    ${If} $TimeHelper = 1
        ${NSD_Check} $TimeHelperBox
    ${EndIf}
    ${NSD_CreateLabel} 0 68u 100% 36u "Only programs with an administrator's rights may set the clock. The helper sets it for ${APP_TITLE}'s net time from its own servers; see the help."
    Pop $0
    nsDialogs::Show
FunctionEnd

Function OptionsPageLeave
    ${NSD_GetState} $AutoStartBox $0
    ${If} $0 == ${BST_CHECKED}
        StrCpy $AutoStart 1
    ${Else}
        StrCpy $AutoStart 0
    ${EndIf}
    ${NSD_GetState} $TimeHelperBox $0
    ${If} $0 == ${BST_CHECKED}
        StrCpy $TimeHelper 1
    ${Else}
        StrCpy $TimeHelper 0
    ${EndIf}
FunctionEnd

Section "-${APP_TITLE}" SecProgram
    Call EndRunningPlenwick
    SetOutPath "$INSTDIR"
    ; Only the installed files are written: the log, the backup folder
    ; and the settings of an earlier install stay as they are.
    File "/oname=${PROGRAM_NAME}" "${PROGRAM_FILE}"
    File "/oname=${HELP_FILE}" "${HELP_SOURCE}"
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"
    CreateShortcut "${SHORTCUT}" "$INSTDIR\${PROGRAM_NAME}" "" "$INSTDIR\${PROGRAM_NAME}" 0

    ; The same entry and flag the settings dialog writes, so both agree.
    ${If} $AutoStart = 1
        WriteRegStr HKCU "${RUN_KEY}" "${RUN_ENTRY}" '"$INSTDIR\${PROGRAM_NAME}"'
        WriteRegDWORD HKCU "${SETTINGS_KEY}" "${RUN_FLAG}" 1
    ${Else}
        ClearErrors
        ReadRegStr $0 HKCU "${RUN_KEY}" "${RUN_ENTRY}"
        ${IfNot} ${Errors}
            DeleteRegValue HKCU "${RUN_KEY}" "${RUN_ENTRY}"
            WriteRegDWORD HKCU "${SETTINGS_KEY}" "${RUN_FLAG}" 0
        ${EndIf}
    ${EndIf}

    !insertmacro WRITE_UNINSTALL_ENTRY HKCU "${UNINST_KEY}" "${APP_TITLE}" "${PROGRAM_NAME}" ${SecProgram}
SectionEnd

; The time helper's own setup, carried inside this one and started with
; an administrator's rights: Windows asks for them, as this setup itself
; never does. Its Uninstall entry tells whether it went through.
Section "-Time helper" SecTimeHelper
    ${If} $TimeHelper = 1
        DetailPrint "Installing the time helper for all users"
        InitPluginsDir
        File "/oname=$PLUGINSDIR\${TIME_SETUP_NAME}" "${TIME_SETUP_FILE}"
        ${If} ${Silent}
            ExecShellWait "runas" "$PLUGINSDIR\${TIME_SETUP_NAME}" "/S"
        ${Else}
            ExecShellWait "runas" "$PLUGINSDIR\${TIME_SETUP_NAME}"
        ${EndIf}
        ClearErrors
        ReadRegStr $0 HKLM "${TIME_UNINST_KEY}" "DisplayVersion"
        ${If} ${Errors}
            MessageBox MB_OK|MB_ICONEXCLAMATION "The time helper was not installed. ${APP_TITLE} works without it; an administrator can install it later by running this setup again." /SD IDOK
        ${EndIf}
    ${EndIf}
SectionEnd

; A silent setup has no finish page: it starts again only what it ended.
Function .onInstSuccess
    ${If} ${Silent}
    ${AndIf} $WasRunning = 1
        Exec '"$INSTDIR\${PROGRAM_NAME}"'
    ${EndIf}
FunctionEnd

Section "Uninstall"
    Call un.EndRunningPlenwick
    Delete "$INSTDIR\${PROGRAM_NAME}"
    Delete "$INSTDIR\${HELP_FILE}"
    Delete "${SHORTCUT}"
    DeleteRegValue HKCU "${RUN_KEY}" "${RUN_ENTRY}"
    DeleteRegKey HKCU "${UNINST_KEY}"

    ; The user's own data stays unless they say otherwise.
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "Also remove your ${APP_TITLE} settings and schedules, and the log?" /SD IDNO IDYES remove_data
        ; Kept settings must not claim an entry that is gone.
        ClearErrors
        ReadRegDWORD $0 HKCU "${SETTINGS_KEY}" "${RUN_FLAG}"
        ${IfNot} ${Errors}
            WriteRegDWORD HKCU "${SETTINGS_KEY}" "${RUN_FLAG}" 0
        ${EndIf}
        Goto data_done
    remove_data:
        DeleteRegKey HKCU "${SETTINGS_KEY}"
        DeleteRegKey /ifempty HKCU "${PUBLISHER_KEY}"
        Delete "$INSTDIR\${LOG_FILE}"
    data_done:

    Delete "$INSTDIR\${UNINSTALLER}"
    ; Left in place when the log or the backup folder is still there.
    RMDir "$INSTDIR"
SectionEnd
