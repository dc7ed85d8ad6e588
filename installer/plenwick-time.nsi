; The setup of Plenwick's time helper, for all users of the computer: it
; needs an administrator. The helper is a service that sets the clock for
; users whose programs may not, so it goes where only administrators may
; write: the 32-bit Program Files folder, beside its policy under
; HKEY_LOCAL_MACHINE.
;
; Built by the Windows build (cmake/installer.cmake) with the same
; -DBUILD_NSH=<build>/generated/setup.nsh as the per-user setup, which
; carries this one inside it and runs it when asked.
;
; Command line: /S silent; /D=<folder> (last) installs elsewhere.
; The silent uninstaller keeps the policy and the log.

!ifndef BUILD_NSH
!error "makensis -DBUILD_NSH=<build>/generated/setup.nsh installer/plenwick-time.nsi"
!endif
!include "${BUILD_NSH}"
!ifndef TIME_OUTFILE
!define TIME_OUTFILE "${TIME_SETUP_FILE}"
!endif
!include "${__FILEDIR__}\common.nsh"
!include "x64.nsh"

RequestExecutionLevel admin

; Access rights of the service manager's calls below.
!define SC_MANAGER_CONNECT 0x0001
!define SERVICE_QUERY_STATUS 0x0004
!define SERVICE_START 0x0010
!define SERVICE_STOP 0x0020
!define SERVICE_STOPPED 1
!define ERROR_SERVICE_ALREADY_RUNNING 1056
; How long the service may take to stop.
!define STOP_WAIT_TENTHS 300

Name "${SERVICE_DISPLAY_NAME}"
OutFile "${TIME_OUTFILE}"
InstallDir "$PROGRAMFILES\${SERVICE_DISPLAY_NAME}"
; An upgrade goes where the last install went.
InstallDirRegKey HKLM "${TIME_UNINST_KEY}" "InstallLocation"
!insertmacro SETUP_VERSION_INFO "${SERVICE_DISPLAY_NAME} Setup"

!define MUI_WELCOMEPAGE_TEXT "This installs the ${SERVICE_DISPLAY_NAME} ${VERSION} for all users of this computer; it needs an administrator.$\r$\n$\r$\nThe helper is a small service that may set the clock, so that ${APP_TITLE}'s net time works for users whose programs may not. It asks only its own time servers, within its own limit, which only administrators can change.$\r$\n$\r$\nClick Next to continue."
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; Stops the service when it runs and waits until it has stopped, so its
; file can be replaced. Nothing to do when it is not installed.
Function StopHelper
    System::Call "advapi32::OpenSCManagerW(p 0, p 0, i ${SC_MANAGER_CONNECT}) p .R0"
    ${If} $R0 == 0
        Return
    ${EndIf}
    System::Call "advapi32::OpenServiceW(p R0, w '${SERVICE_NAME}', i ${SERVICE_STOP}|${SERVICE_QUERY_STATUS}) p .R1"
    ${If} $R1 != 0
        DetailPrint "Stopping the ${SERVICE_DISPLAY_NAME}"
        ; SERVICE_STATUS: seven DWORDs, the state second.
        System::Call "*(i, i, i, i, i, i, i) p .R2"
        System::Call "advapi32::ControlService(p R1, i 1, p R2) i"
        StrCpy $R3 0
        ${Do}
            System::Call "advapi32::QueryServiceStatus(p R1, p R2) i .R4"
            System::Call "*$R2(i, i .R5)"
            ${If} $R4 == 0
            ${OrIf} $R5 == ${SERVICE_STOPPED}
            ${OrIf} $R3 >= ${STOP_WAIT_TENTHS}
                ${Break}
            ${EndIf}
            Sleep 100
            IntOp $R3 $R3 + 1
        ${Loop}
        System::Free $R2
        System::Call "advapi32::CloseServiceHandle(p R1)"
    ${EndIf}
    System::Call "advapi32::CloseServiceHandle(p R0)"
FunctionEnd

Function StartHelper
    System::Call "advapi32::OpenSCManagerW(p 0, p 0, i ${SC_MANAGER_CONNECT}) p .R0"
    System::Call "advapi32::OpenServiceW(p R0, w '${SERVICE_NAME}', i ${SERVICE_START}) p .R1"
    System::Call "advapi32::StartServiceW(p R1, i 0, p 0) i .R2 ?e"
    Pop $R3
    System::Call "advapi32::CloseServiceHandle(p R1)"
    System::Call "advapi32::CloseServiceHandle(p R0)"
    ${If} $R2 == 0
    ${AndIf} $R3 != ${ERROR_SERVICE_ALREADY_RUNNING}
        MessageBox MB_OK|MB_ICONEXCLAMATION "The ${SERVICE_DISPLAY_NAME} is installed but did not start (error $R3). It starts with Windows next time." /SD IDOK
    ${EndIf}
FunctionEnd

; A policy value is written only when it is missing, whatever its type:
; an upgrade keeps what an administrator chose (the helper reads a bad
; value as its default and says so in its log).
!macro POLICY_DEFAULT TYPE NAME VALUE
    ClearErrors
    ReadRegStr $0 HKLM "${POLICY_KEY}" "${NAME}"
    ${If} ${Errors}
    ${AndIf} $0 == ""
        WriteReg${TYPE} HKLM "${POLICY_KEY}" "${NAME}" "${VALUE}"
    ${EndIf}
!macroend

Function .onInit
    SetShellVarContext all
    UserInfo::GetAccountType
    Pop $0
    ${If} $0 != "admin"
        MessageBox MB_OK|MB_ICONSTOP "The ${SERVICE_DISPLAY_NAME} is installed for all users: run this setup as an administrator." /SD IDOK
        ; ERROR_ELEVATION_REQUIRED
        SetErrorLevel 740
        Quit
    ${EndIf}
FunctionEnd

Section "-${SERVICE_DISPLAY_NAME}" SecHelper
    Call StopHelper
    SetOutPath "$INSTDIR"
    File "/oname=${TIME_PROGRAM_NAME}" "${TIME_PROGRAM_FILE}"
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"

    ; The policy lives where an administrator's registry tools show it: the
    ; 64-bit view on 64-bit Windows, which the helper reads too.
    ${If} ${RunningX64}
        SetRegView 64
    ${EndIf}
    !insertmacro POLICY_DEFAULT Str "${POLICY_SERVERS}" "${POLICY_SERVERS_DEFAULT}"
    !insertmacro POLICY_DEFAULT DWORD "${POLICY_MAX_CORRECTION}" "${POLICY_MAX_CORRECTION_DEFAULT}"
    !insertmacro POLICY_DEFAULT DWORD "${POLICY_INTERVAL}" "${POLICY_INTERVAL_DEFAULT}"
    SetRegView default

    ; The helper itself creates the service and sets its account, start
    ; and rights, or brings an earlier one up to date.
    DetailPrint "Installing the service ${SERVICE_NAME}"
    nsExec::Exec '"$INSTDIR\${TIME_PROGRAM_NAME}" /install'
    Pop $0
    ${If} $0 != 0
        MessageBox MB_OK|MB_ICONSTOP "The ${SERVICE_DISPLAY_NAME} could not be installed as a service (exit code $0)." /SD IDOK
        SetErrorLevel 2
        Abort
    ${EndIf}
    Call StartHelper

    !insertmacro WRITE_UNINSTALL_ENTRY HKLM "${TIME_UNINST_KEY}" "${SERVICE_DISPLAY_NAME}" "${TIME_PROGRAM_NAME}" ${SecHelper}
SectionEnd

Function un.onInit
    SetShellVarContext all
FunctionEnd

Section "Uninstall"
    DetailPrint "Removing the service ${SERVICE_NAME}"
    nsExec::Exec '"$INSTDIR\${TIME_PROGRAM_NAME}" /uninstall'
    Pop $0
    ; The service's process may hold its file a moment after it stopped.
    StrCpy $1 0
    ${Do}
        ClearErrors
        Delete "$INSTDIR\${TIME_PROGRAM_NAME}"
        ${IfNot} ${Errors}
        ${OrIf} $1 >= 50
            ${Break}
        ${EndIf}
        Sleep 200
        IntOp $1 $1 + 1
    ${Loop}
    DeleteRegKey HKLM "${TIME_UNINST_KEY}"

    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "Also remove the time helper's policy (its servers and limits) and its log?" /SD IDNO IDNO keep_data
        ${If} ${RunningX64}
            SetRegView 64
        ${EndIf}
        DeleteRegKey HKLM "${POLICY_KEY}"
        DeleteRegKey /ifempty HKLM "${SETTINGS_KEY}"
        DeleteRegKey /ifempty HKLM "${PUBLISHER_KEY}"
        SetRegView default
        Delete "$APPDATA\${DATA_FOLDER}\${TIME_LOG_FILE}"
        RMDir "$APPDATA\${DATA_FOLDER}"
    keep_data:

    Delete "$INSTDIR\${UNINSTALLER}"
    RMDir "$INSTDIR"
SectionEnd
