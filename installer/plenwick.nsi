; The setup program of Plenwick: a per-user install that needs no
; administrator. The program keeps its log and its backup folder beside
; itself, so it goes where the user may write: %LOCALAPPDATA%\Programs.
;
; Built by the Windows build (cmake/installer.cmake), which passes
;   -DBUILD_NSH=<build>/generated/setup.nsh
; holding the version, the files and the names shared with the program.
;
; Command line: /S silent with the defaults; /AUTOSTART also writes the
; start-with-Windows entry; /D=<folder> (last) installs elsewhere.

!ifndef BUILD_NSH
!error "makensis -DBUILD_NSH=<build>/generated/setup.nsh installer/plenwick.nsi"
!endif
!include "${BUILD_NSH}"

Target "${TARGET}"
Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include "MUI2.nsh"
!include "nsDialogs.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "WinMessages.nsh"

!define UNINSTALLER "uninstall.exe"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APP_TITLE}"
!define SHORTCUT "$SMPROGRAMS\${APP_TITLE}.lnk"
; How long a running Plenwick may take to end after WM_CLOSE.
!define CLOSE_WAIT_MS 30000

Name "${APP_TITLE}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${APP_TITLE}"
; An upgrade goes where the last install went.
InstallDirRegKey HKCU "${UNINST_KEY}" "InstallLocation"
ShowInstDetails nevershow
ShowUninstDetails nevershow
BrandingText "${APP_TITLE} ${VERSION}"

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "${APP_TITLE}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${COPYRIGHT}"
VIAddVersionKey /LANG=1033 "FileDescription" "${APP_TITLE} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"

Var AutoStart     ; 1: write the start-with-Windows entry
Var AutoStartBox
Var WasRunning    ; 1: a Plenwick was ended and is started again

!define MUI_ICON "${ICON_FILE}"
!define MUI_UNICON "${ICON_FILE}"
!define MUI_ABORTWARNING

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
FunctionEnd

Function OptionsPage
    !insertmacro MUI_HEADER_TEXT "Options" "How ${APP_TITLE} starts."
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
    nsDialogs::Show
FunctionEnd

Function OptionsPageLeave
    ${NSD_GetState} $AutoStartBox $0
    ${If} $0 == ${BST_CHECKED}
        StrCpy $AutoStart 1
    ${Else}
        StrCpy $AutoStart 0
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

    WriteRegStr HKCU "${UNINST_KEY}" "DisplayName" "${APP_TITLE}"
    WriteRegStr HKCU "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\${PROGRAM_NAME},0"
    WriteRegStr HKCU "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINST_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr HKCU "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
    WriteRegDWORD HKCU "${UNINST_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINST_KEY}" "NoRepair" 1
    SectionGetSize ${SecProgram} $0
    WriteRegDWORD HKCU "${UNINST_KEY}" "EstimatedSize" $0
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
