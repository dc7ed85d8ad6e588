# Cross build: plenwick.exe, the Win32 layer and its tests under Wine.

enable_language(RC)

configure_file(${CMAKE_SOURCE_DIR}/res/version.h.in ${CMAKE_BINARY_DIR}/generated/version.h @ONLY)

file(GLOB PW_WIN32_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/platform/win32/*.cpp)
list(FILTER PW_WIN32_SOURCES EXCLUDE REGEX "/winmain\\.cpp$")
add_library(pwwin32 STATIC ${PW_WIN32_SOURCES})
target_include_directories(pwwin32 PUBLIC ${CMAKE_BINARY_DIR}/generated ${CMAKE_SOURCE_DIR}/res)
target_compile_definitions(pwwin32 PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
# Windows' own libraries, the only DLLs the programs may import (besides
# kernel32 and msvcrt, which every mingw program imports). The tests and
# tools import them all at start-up; plenwick.exe loads those of the
# functions in cmake/delayed_imports.txt at their first call
# (cmake/delay_import.cmake) and only the first list at start-up.
set(PW_STARTUP_LIBRARIES advapi32 user32 gdi32)
include(${CMAKE_SOURCE_DIR}/cmake/delay_import.cmake)
pw_delay_import_objects(PW_DELAYED_OBJECTS PW_DELAYED_LIBRARIES
    ${CMAKE_SOURCE_DIR}/cmake/delayed_imports.txt ARCHIVES PW_DELAYED_ARCHIVES)
set(PW_SYSTEM_LIBRARIES ${PW_STARTUP_LIBRARIES} ${PW_DELAYED_LIBRARIES})
target_link_libraries(pwwin32 PUBLIC pwcore ${PW_SYSTEM_LIBRARIES})

set(PW_RC_FILE ${CMAKE_SOURCE_DIR}/res/plenwick.rc)
add_executable(plenwick WIN32 ${CMAKE_SOURCE_DIR}/src/platform/win32/winmain.cpp ${PW_RC_FILE})
# The slots of the late DLLs come before the ordinary import libraries, so
# those are not needed for their functions. They are link items, not
# sources: CMake gathers a target's objects into an archive first.
target_link_libraries(plenwick PRIVATE ${PW_DELAYED_OBJECTS} pwwin32)
target_include_directories(plenwick PRIVATE ${CMAKE_BINARY_DIR}/generated ${CMAKE_SOURCE_DIR}/res)
set_source_files_properties(${PW_RC_FILE} PROPERTIES
    OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/res/plenwick.manifest;${CMAKE_SOURCE_DIR}/res/plenwick.ico;${CMAKE_SOURCE_DIR}/res/resource.h;${CMAKE_SOURCE_DIR}/res/clock_menu.rc.inc;${CMAKE_SOURCE_DIR}/res/settings_dialog.rc.inc")
# Unused functions and data of the static runtime and our libraries stay out.
foreach(room ${PW_ROOM_LIBRARIES})
    target_compile_options(${room} PRIVATE -ffunction-sections -fdata-sections)
endforeach()
target_compile_options(pwwin32 PRIVATE -ffunction-sections -fdata-sections)
target_compile_options(plenwick PRIVATE -ffunction-sections -fdata-sections)
target_link_options(plenwick PRIVATE -s -municode -Wl,--gc-sections)

# plenwick.exe is shipped alone: it must be a PE of this build's machine
# (PE32 i386 for the product) importing at start-up only DLLs of Windows
# itself, with each late DLL's slots bound to the code that loads it, and
# every function it names exported by Wine's build of that DLL.
# It reads the file here, so this test needs no Wine; it is labelled
# "native", every test that runs under Wine "wine".
# Debian's own Python: the check needs nothing beyond its standard library.
find_program(PW_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    set(PW_PE_MACHINE x86-64)
    set(PW_FLAVOUR win64)
    set(PW_WINE_DLLS /usr/lib/x86_64-linux-gnu/wine/x86_64-windows)
else()
    set(PW_PE_MACHINE i386)
    set(PW_FLAVOUR win32)
    set(PW_WINE_DLLS /usr/lib/i386-linux-gnu/wine/i386-windows)
endif()
string(REPLACE ";" "," PW_STARTUP_DLLS "kernel32;msvcrt;${PW_STARTUP_LIBRARIES}")
string(REPLACE ";" "," PW_DELAYED_DLLS "${PW_DELAYED_LIBRARIES}")
set(PW_CHECK_PE ${PW_PYTHON} ${CMAKE_SOURCE_DIR}/cmake/check_pe.py
    --machine ${PW_PE_MACHINE} --startup ${PW_STARTUP_DLLS} --dlls ${PW_WINE_DLLS})
add_test(NAME plenwick_pe COMMAND ${PW_CHECK_PE} --delayed ${PW_DELAYED_DLLS} $<TARGET_FILE:plenwick>)
# The check itself, on one late call linked both ways: through the objects
# as above, and through dlltool's archive, which the i686 linker leaves
# unbound.
add_executable(pe_late_call EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/tests/win32/fixtures/late_call.c)
target_link_libraries(pe_late_call PRIVATE ${PW_DELAYED_OBJECTS})
add_executable(pe_late_call_archive EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/tests/win32/fixtures/late_call.c)
target_link_libraries(pe_late_call_archive PRIVATE ${PW_DELAYED_ARCHIVES})
add_custom_target(pe_fixtures ALL DEPENDS pe_late_call pe_late_call_archive)
add_test(NAME pe_check_late_call COMMAND ${PW_CHECK_PE} --delayed shell32 $<TARGET_FILE:pe_late_call>)
add_test(NAME pe_check_late_call_archive COMMAND ${PW_CHECK_PE} --delayed shell32 $<TARGET_FILE:pe_late_call_archive>)
set_tests_properties(plenwick_pe pe_check_late_call pe_check_late_call_archive PROPERTIES LABELS native)
if(PW_FLAVOUR STREQUAL win32)
    set_tests_properties(pe_check_late_call_archive PROPERTIES
        PASS_REGULAR_EXPRESSION "shell32.dll!Shell_NotifyIconW: its slot holds 0x0")
endif()

# plenwick-time.exe, the time helper service, shipped by its own setup:
# static like plenwick.exe, with the DLLs it needs loaded at start-up (it
# starts once per boot, not once per click), all of them Windows' own.
file(GLOB PW_TIME_HELPER_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/platform/win32/time_helper/*.cpp)
set(PW_TIME_RC_FILE ${CMAKE_SOURCE_DIR}/res/plenwick_time.rc)
add_executable(plenwick_time ${PW_TIME_HELPER_SOURCES} ${PW_TIME_RC_FILE})
set_target_properties(plenwick_time PROPERTIES OUTPUT_NAME plenwick-time)
target_link_libraries(plenwick_time PRIVATE pwwin32)
set_source_files_properties(${PW_TIME_RC_FILE} PROPERTIES OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/res/version.rc.inc")
target_compile_options(plenwick_time PRIVATE -ffunction-sections -fdata-sections)
target_link_options(plenwick_time PRIVATE -s -municode -Wl,--gc-sections)
string(REPLACE ";" "," PW_TIME_HELPER_DLLS "kernel32;msvcrt;${PW_SYSTEM_LIBRARIES}")
add_test(NAME plenwick_time_pe COMMAND ${PW_PYTHON} ${CMAKE_SOURCE_DIR}/cmake/check_pe.py
    --machine ${PW_PE_MACHINE} --startup ${PW_TIME_HELPER_DLLS} --dlls ${PW_WINE_DLLS} $<TARGET_FILE:plenwick_time>)
set_tests_properties(plenwick_time_pe PROPERTIES LABELS native)

# What the end-to-end run of the time helper watches it with, never part
# of the product: a DLL that records the service's calls to set the clock
# and sets nothing, put beside the service in place of a DLL it imports
# (tests/e2e/test_time_helper.sh); its one export keeps its own name.
add_library(set_time_recorder SHARED ${CMAKE_SOURCE_DIR}/tests/win32/fixtures/set_time_recorder.c)
set_target_properties(set_time_recorder PROPERTIES PREFIX "")
target_link_options(set_time_recorder PRIVATE -static-libgcc -Wl,--kill-at)
# Clients that misbehave on the time helper's pipe, against the running
# service.
add_executable(time_pipe_clients ${CMAKE_SOURCE_DIR}/tests/win32/fixtures/time_pipe_clients.c)
target_link_options(time_pipe_clients PRIVATE -municode)

# Windows tests: GoogleTest for the Win32 layer, run under Wine.
file(GLOB PW_WIN32_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/*.cpp)
add_executable(pw_wintests ${PW_WIN32_TESTS} ${CMAKE_SOURCE_DIR}/res/tests.rc)
target_include_directories(pw_wintests PRIVATE ${CMAKE_BINARY_DIR}/generated ${CMAKE_SOURCE_DIR}/res)
target_link_libraries(pw_wintests PRIVATE pwtestsupport pwwin32 gtest_main)

# Small Windows programs the tests start, drive or measure.
file(GLOB PW_TEST_TOOLS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/tools/*.cpp)
foreach(src ${PW_TEST_TOOLS})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE pwwin32)
    if(name MATCHES "_gui$")
        set_target_properties(${name} PROPERTIES WIN32_EXECUTABLE TRUE)
    endif()
endforeach()

set(PW_WINE_RUN ${CMAKE_SOURCE_DIR}/scripts/wine-run)
# The Wine of this build's machine runs its tests (scripts/wine-flavour.sh).
# Their prefixes are those of the route that runs this flavour here
# (PW_PREFIXES, scripts/wine-flavour.sh). Each test runs apart from the
# others (scripts/wine-test: its own prefix, network and core), so they
# run side by side under ctest -j and share no lock.
set(PW_WINE_TEST ${CMAKE_SOURCE_DIR}/scripts/wine-test)
set(PW_TEST_ENV "PW_SOURCE_DIR=${CMAKE_SOURCE_DIR};PW_BUILD_DIR=${CMAKE_BINARY_DIR};PW_FLAVOUR=${PW_FLAVOUR}")

add_test(NAME win32_tests COMMAND ${PW_WINE_TEST} win32_tests ${PW_WINE_RUN} $<TARGET_FILE:pw_wintests>)
set_tests_properties(win32_tests PROPERTIES ENVIRONMENT "${PW_TEST_ENV}" TIMEOUT 900 LABELS wine)

# End-to-end runs of plenwick.exe: every tests/e2e/test_*.sh is one test.
# Those labelled "emulated" are the set that runs the 32-bit program
# where only an emulator runs the 32-bit Wine (scripts/test): start-up
# with the tray icon and the dialog from a double click, a reminder and a
# launch at their minute, a net-time correction, backup and restore, and
# the installed program.
set(PW_E2E_EMULATED test_app_tray test_app_netsync
    test_app_backup_restore test_installer)
# The 32-bit time helper's runs, labelled "emulator_long": through the
# emulator each of its setups and services takes minutes, so together
# they last longer than the whole emulated set, and scripts/test runs them
# there only when asked (PW_EMULATOR_LONG=1).
set(PW_E2E_EMULATOR_LONG test_time_helper test_time_helper_service)
# The runs that take a minute and more start first under ctest -j, so
# none of them is left to run alone at the end (ctest learns the times of
# every test after a run, but a fresh clone has none).
set(PW_E2E_LONG test_app_backup_restore test_app_tray test_installer test_windows_on_display
    test_time_helper test_app_options test_app_reminders_300 test_app_snooze test_app_restore_undo
    test_app_settings test_app_update_check)
file(GLOB PW_E2E CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/test_*.sh)
foreach(script ${PW_E2E})
    get_filename_component(name ${script} NAME_WE)
    add_test(NAME e2e_${name} COMMAND ${PW_WINE_TEST} e2e_${name} sh ${script})
    set(labels wine)
    set(timeout 900)
    if(name IN_LIST PW_E2E_EMULATED)
        list(APPEND labels emulated)
    elseif(name IN_LIST PW_E2E_EMULATOR_LONG)
        list(APPEND labels emulator_long)
        if(PW_FLAVOUR STREQUAL "win32")
            set(timeout 2700)
        endif()
    endif()
    set_tests_properties(e2e_${name} PROPERTIES ENVIRONMENT "${PW_TEST_ENV}" TIMEOUT ${timeout} LABELS "${labels}")
    list(FIND PW_E2E_LONG ${name} rank)
    if(rank GREATER -1)
        math(EXPR cost "1000 - ${rank}")
        set_tests_properties(e2e_${name} PROPERTIES COST ${cost})
    endif()
endforeach()

# Benchmarks for Windows: bench/*_win32.cpp.
file(GLOB PW_WIN_BENCHES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*_win32.cpp)
foreach(src ${PW_WIN_BENCHES})
    get_filename_component(name ${src} NAME_WE)
    add_executable(bench_${name} ${src})
    target_link_libraries(bench_${name} PRIVATE pwwin32)
    target_include_directories(bench_${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR}/bench)
endforeach()

# The help document goes beside the program, where "Help" looks for it.
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/plenwk.htm
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/res/plenwk.htm ${CMAKE_BINARY_DIR}/plenwk.htm
    DEPENDS ${CMAKE_SOURCE_DIR}/res/plenwk.htm)
add_custom_target(plenwick_help ALL DEPENDS ${CMAKE_BINARY_DIR}/plenwk.htm)

# The setup program (plenwick-setup-<version>.exe).
include(${CMAKE_SOURCE_DIR}/cmake/installer.cmake)
