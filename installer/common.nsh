; What both setup programs share: installer/plenwick.nsi (per user) and
; installer/plenwick-time.nsi (the time helper, for all users). Included
; after the build's generated setup.nsh, which defines the names.

Target "${TARGET}"
Unicode true
SetCompressor /SOLID lzma
ManifestDPIAware true

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"

!define UNINSTALLER "uninstall.exe"
!define UNINSTALL_ROOT "Software\Microsoft\Windows\CurrentVersion\Uninstall"
; The time helper's entry: its setup writes it, the per-user setup reads
; it to learn whether the helper's setup went through.
!define TIME_UNINST_KEY "${UNINSTALL_ROOT}\${SERVICE_NAME}"

ShowInstDetails nevershow
ShowUninstDetails nevershow
BrandingText "${APP_TITLE} ${VERSION}"

!define MUI_ICON "${ICON_FILE}"
!define MUI_UNICON "${ICON_FILE}"
!define MUI_ABORTWARNING

; The file's version resource; DESCRIPTION is what Explorer shows for it.
!macro SETUP_VERSION_INFO DESCRIPTION
    VIProductVersion "${VERSION}"
    VIFileVersion "${VERSION}"
    VIAddVersionKey /LANG=1033 "ProductName" "${APP_TITLE}"
    VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
    VIAddVersionKey /LANG=1033 "LegalCopyright" "${COPYRIGHT}"
    VIAddVersionKey /LANG=1033 "FileDescription" "${DESCRIPTION}"
    VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
    VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
!macroend

; The entry of "Apps" / "Programs and Features": ROOT is HKCU or HKLM,
; ICON the installed program that gives the entry its icon, SECTION the
; section whose size it shows.
!macro WRITE_UNINSTALL_ENTRY ROOT KEY DISPLAY_NAME ICON SECTION
    WriteRegStr ${ROOT} "${KEY}" "DisplayName" "${DISPLAY_NAME}"
    WriteRegStr ${ROOT} "${KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr ${ROOT} "${KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr ${ROOT} "${KEY}" "DisplayIcon" "$INSTDIR\${ICON},0"
    WriteRegStr ${ROOT} "${KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr ${ROOT} "${KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr ${ROOT} "${KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
    WriteRegDWORD ${ROOT} "${KEY}" "NoModify" 1
    WriteRegDWORD ${ROOT} "${KEY}" "NoRepair" 1
    SectionGetSize ${SECTION} $0
    WriteRegDWORD ${ROOT} "${KEY}" "EstimatedSize" $0
!macroend
