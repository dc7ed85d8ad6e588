# The setup programs: installer/plenwick.nsi, built with makensis into
# plenwick-setup-<version>.exe beside plenwick.exe, and the time helper's
# installer/plenwick-time.nsi into plenwick-time-setup-<version>.exe,
# which the first carries. The names the setup
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
# joined (Joined<kA, ns::kB>), is followed.
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
        if(text MATCHES "${name} = Joined<([A-Za-z0-9_:, ]+)>;")
            string(REPLACE "," ";" parts "${CMAKE_MATCH_1}")
            set(joined "")
            foreach(part ${parts})
                string(STRIP "${part}" part)
                string(REGEX REPLACE "^.*::" "" part "${part}")
                pw_source_string(value ${part} ${ARGN})
                string(APPEND joined "${value}")
            endforeach()
            set(${out} "${joined}" PARENT_SCOPE)
            return()
        endif()
    endforeach()
    message(FATAL_ERROR "the setup needs ${name}, found in none of ${ARGN}")
endfunction()

# What the first group of PATTERN matches in FILE.
function(pw_source_match out file pattern)
    file(READ ${CMAKE_SOURCE_DIR}/${file} text)
    if(NOT text MATCHES "${pattern}")
        message(FATAL_ERROR "the setup needs what \"${pattern}\" finds in ${file}")
    endif()
    set(${out} "${CMAKE_MATCH_1}" PARENT_SCOPE)
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

# The time helper's names, and its policy values with their defaults: the
# server list and the maximum correction are the user's own values.
set(pw_helper_sources src/timehelper/names.h ${pw_names_sources})
pw_source_string(PW_NSIS_SERVICE_NAME kServiceName ${pw_helper_sources})
pw_source_string(PW_NSIS_SERVICE_DISPLAY_NAME kServiceDisplayName ${pw_helper_sources})
pw_source_string(PW_NSIS_TIME_PROGRAM_NAME kExeName ${pw_helper_sources})
pw_source_string(PW_NSIS_POLICY_KEY kPolicyKey ${pw_helper_sources})
pw_source_string(PW_NSIS_DATA_FOLDER kDataFolder ${pw_helper_sources})
pw_source_string(PW_NSIS_TIME_LOG_FILE kLogFileName ${pw_helper_sources})
set(PW_NSIS_POLICY_SERVERS TimeServers)
set(PW_NSIS_POLICY_MAX_CORRECTION MaxCorrection)
set(PW_NSIS_POLICY_INTERVAL SynchInterval)
pw_source_match(pw_servers_default src/config/values.h "\\(TextValue, ${PW_NSIS_POLICY_SERVERS}, ([A-Za-z_]+)\\)")
pw_source_string(PW_NSIS_POLICY_SERVERS_DEFAULT ${pw_servers_default} src/config/values.h)
pw_source_match(PW_NSIS_POLICY_MAX_CORRECTION_DEFAULT src/config/values.h
    "\\(IntValue, ${PW_NSIS_POLICY_MAX_CORRECTION}, ([0-9]+),")
pw_source_match(pw_interval_default src/timeservice/helper.h
    "${PW_NSIS_POLICY_INTERVAL}{\"${PW_NSIS_POLICY_INTERVAL}\", ([A-Za-z_]+),")
pw_source_match(PW_NSIS_POLICY_INTERVAL_DEFAULT src/timeservice/helper.h "${pw_interval_default} = ([0-9]+);")

if(PW_FLAVOUR STREQUAL "win64")
    set(PW_NSIS_TARGET amd64-unicode)
else()
    set(PW_NSIS_TARGET x86-unicode)
endif()
set(PW_SETUP ${CMAKE_BINARY_DIR}/plenwick-setup-${PROJECT_VERSION}.exe)
set(PW_TIME_SETUP_NAME plenwick-time-setup-${PROJECT_VERSION}.exe)
set(PW_TIME_SETUP ${CMAKE_BINARY_DIR}/${PW_TIME_SETUP_NAME})
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
!define TIME_PROGRAM_FILE \"$<TARGET_FILE:plenwick_time>\"
!define TIME_PROGRAM_NAME \"${PW_NSIS_TIME_PROGRAM_NAME}\"
!define TIME_SETUP_FILE \"${PW_TIME_SETUP}\"
!define TIME_SETUP_NAME \"${PW_TIME_SETUP_NAME}\"
!define TIME_LOG_FILE \"${PW_NSIS_TIME_LOG_FILE}\"
!define SERVICE_NAME \"${PW_NSIS_SERVICE_NAME}\"
!define SERVICE_DISPLAY_NAME \"${PW_NSIS_SERVICE_DISPLAY_NAME}\"
!define DATA_FOLDER \"${PW_NSIS_DATA_FOLDER}\"
!define POLICY_KEY \"${PW_NSIS_POLICY_KEY}\"
!define POLICY_SERVERS \"${PW_NSIS_POLICY_SERVERS}\"
!define POLICY_SERVERS_DEFAULT \"${PW_NSIS_POLICY_SERVERS_DEFAULT}\"
!define POLICY_MAX_CORRECTION \"${PW_NSIS_POLICY_MAX_CORRECTION}\"
!define POLICY_MAX_CORRECTION_DEFAULT \"${PW_NSIS_POLICY_MAX_CORRECTION_DEFAULT}\"
!define POLICY_INTERVAL \"${PW_NSIS_POLICY_INTERVAL}\"
!define POLICY_INTERVAL_DEFAULT \"${PW_NSIS_POLICY_INTERVAL_DEFAULT}\"
")

set(PW_SETUP_COMMON ${CMAKE_SOURCE_DIR}/installer/common.nsh ${PW_SETUP_NSH} ${CMAKE_SOURCE_DIR}/res/plenwick.ico)
set(PW_TIME_SETUP_SCRIPT ${CMAKE_SOURCE_DIR}/installer/plenwick-time.nsi)
add_custom_command(OUTPUT ${PW_TIME_SETUP}
    COMMAND ${PW_MAKENSIS} -V2 -DBUILD_NSH=${PW_SETUP_NSH} ${PW_TIME_SETUP_SCRIPT}
    DEPENDS plenwick_time ${PW_TIME_SETUP_SCRIPT} ${PW_SETUP_COMMON}
    COMMENT "Building the time helper's setup ${PW_TIME_SETUP_NAME}"
    VERBATIM)
add_custom_target(plenwick_time_setup ALL DEPENDS ${PW_TIME_SETUP})

set(PW_SETUP_SCRIPT ${CMAKE_SOURCE_DIR}/installer/plenwick.nsi)
add_custom_command(OUTPUT ${PW_SETUP}
    COMMAND ${PW_MAKENSIS} -V2 -DBUILD_NSH=${PW_SETUP_NSH} ${PW_SETUP_SCRIPT}
    DEPENDS plenwick plenwick_help ${PW_TIME_SETUP} ${PW_SETUP_SCRIPT} ${PW_SETUP_COMMON}
    COMMENT "Building the setup program plenwick-setup-${PROJECT_VERSION}.exe"
    VERBATIM)
add_custom_target(plenwick_setup ALL DEPENDS ${PW_SETUP})
add_dependencies(plenwick_setup plenwick_time_setup)
