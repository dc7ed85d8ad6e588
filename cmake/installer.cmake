# The setup program: installer/plenwick.nsi, built with makensis into
# plenwick-setup-<version>.exe beside plenwick.exe. The names the setup
# shares with the program (registry keys, the Run entry, the clock
# window's class, the file names) are read here from the program's own
# sources, so each stays written once; a renamed one stops the build.
# The 64-bit test build makes a 64-bit setup around its own plenwick.exe,
# so the setup can be tested where only the 64-bit Wine runs.

find_program(PW_MAKENSIS makensis)
if(NOT PW_MAKENSIS)
    message(FATAL_ERROR "makensis not found: the setup program needs the "
        "Debian package nsis (scripts/deps installs it)")
endif()

# The text of the string constant NAME in one of FILES (relative to the
# source tree). A constant defined as another constant, or as constants
# joined (Joined<kA, kB>), is followed.
function(pw_source_string out name)
    foreach(f ${ARGN})
        file(READ ${CMAKE_SOURCE_DIR}/${f} text)
        if(text MATCHES "${name}[ =,]+L?\"([^\"]*)\"")
            string(REPLACE "\\\\" "\\" value "${CMAKE_MATCH_1}")
            set(${out} "${value}" PARENT_SCOPE)
            return()
        endif()
        if(text MATCHES "${name} = ([A-Za-z_][A-Za-z0-9_]*);")
            pw_source_string(value ${CMAKE_MATCH_1} ${ARGN})
            set(${out} "${value}" PARENT_SCOPE)
            return()
        endif()
        if(text MATCHES "${name} = Joined<([A-Za-z0-9_, ]+)>;")
            string(REPLACE "," ";" parts "${CMAKE_MATCH_1}")
            set(joined "")
            foreach(part ${parts})
                string(STRIP "${part}" part)
                pw_source_string(value ${part} ${ARGN})
                string(APPEND joined "${value}")
            endforeach()
            set(${out} "${joined}" PARENT_SCOPE)
            return()
        endif()
    endforeach()
    message(FATAL_ERROR "the setup needs ${name}, found in none of ${ARGN}")
endfunction()

set(pw_names_sources src/common/version.h src/config/values.h src/common/store_access.h
    src/log/log.h src/app/clock_window.h src/platform/win32/clock_window_win32.h res/version.rc.inc)
pw_source_string(PW_NSIS_APP_TITLE kAppTitle ${pw_names_sources})
pw_source_string(PW_NSIS_RUN_ENTRY kRunEntry ${pw_names_sources})
pw_source_string(PW_NSIS_RUN_KEY kRunKey ${pw_names_sources})
pw_source_string(PW_NSIS_SETTINGS_KEY kSettingsKey ${pw_names_sources})
pw_source_string(PW_NSIS_LOG_FILE kLogFileName ${pw_names_sources})
pw_source_string(PW_NSIS_HELP_FILE kHelpFileName ${pw_names_sources})
pw_source_string(PW_NSIS_CLOCK_CLASS kClockWindowClass ${pw_names_sources})
pw_source_string(PW_NSIS_PUBLISHER "\"CompanyName\"" ${pw_names_sources})
pw_source_string(PW_NSIS_COPYRIGHT "\"LegalCopyright\"" ${pw_names_sources})
# The settings dialog's flag that mirrors the Run entry.
set(PW_NSIS_RUN_FLAG LaunchAtWinStart)
file(READ ${CMAKE_SOURCE_DIR}/src/config/values.h pw_values)
if(NOT pw_values MATCHES "\\(FlagValue, ${PW_NSIS_RUN_FLAG},")
    message(FATAL_ERROR "the setup needs the flag ${PW_NSIS_RUN_FLAG} of src/config/values.h")
endif()
string(REGEX REPLACE "\\\\[^\\\\]*$" "" PW_NSIS_PUBLISHER_KEY "${PW_NSIS_SETTINGS_KEY}")

if(PW_FLAVOUR STREQUAL "win64")
    set(PW_NSIS_TARGET amd64-unicode)
else()
    set(PW_NSIS_TARGET x86-unicode)
endif()
set(PW_SETUP ${CMAKE_BINARY_DIR}/plenwick-setup-${PROJECT_VERSION}.exe)
set(PW_SETUP_NSH ${CMAKE_BINARY_DIR}/generated/setup.nsh)
file(GENERATE OUTPUT ${PW_SETUP_NSH} CONTENT
"; Made by cmake/installer.cmake: what installer/plenwick.nsi takes from this build.
; VERSION and OUTFILE may be given on makensis' command line instead.
!define TARGET \"${PW_NSIS_TARGET}\"
!ifndef VERSION
!define VERSION \"${PROJECT_VERSION}\"
!endif
!ifndef OUTFILE
!define OUTFILE \"${PW_SETUP}\"
!endif
!define PROGRAM_FILE \"$<TARGET_FILE:plenwick>\"
!define PROGRAM_NAME \"$<TARGET_FILE_NAME:plenwick>\"
!define HELP_SOURCE \"${CMAKE_BINARY_DIR}/${PW_NSIS_HELP_FILE}\"
!define ICON_FILE \"${CMAKE_SOURCE_DIR}/res/plenwick.ico\"
!define APP_TITLE \"${PW_NSIS_APP_TITLE}\"
!define PUBLISHER \"${PW_NSIS_PUBLISHER}\"
!define COPYRIGHT \"${PW_NSIS_COPYRIGHT}\"
!define SETTINGS_KEY \"${PW_NSIS_SETTINGS_KEY}\"
!define PUBLISHER_KEY \"${PW_NSIS_PUBLISHER_KEY}\"
!define RUN_KEY \"${PW_NSIS_RUN_KEY}\"
!define RUN_ENTRY \"${PW_NSIS_RUN_ENTRY}\"
!define RUN_FLAG \"${PW_NSIS_RUN_FLAG}\"
!define LOG_FILE \"${PW_NSIS_LOG_FILE}\"
!define HELP_FILE \"${PW_NSIS_HELP_FILE}\"
!define CLOCK_CLASS \"${PW_NSIS_CLOCK_CLASS}\"
")

set(PW_SETUP_SCRIPT ${CMAKE_SOURCE_DIR}/installer/plenwick.nsi)
add_custom_command(OUTPUT ${PW_SETUP}
    COMMAND ${PW_MAKENSIS} -V2 -DBUILD_NSH=${PW_SETUP_NSH} ${PW_SETUP_SCRIPT}
    DEPENDS plenwick plenwick_help ${PW_SETUP_SCRIPT} ${PW_SETUP_NSH} ${CMAKE_SOURCE_DIR}/res/plenwick.ico
    COMMENT "Building the setup program plenwick-setup-${PROJECT_VERSION}.exe"
    VERBATIM)
add_custom_target(plenwick_setup ALL DEPENDS ${PW_SETUP})
