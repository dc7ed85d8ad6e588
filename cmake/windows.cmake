# Cross build: plenwick.exe, the Win32 layer and its tests under Wine.

enable_language(RC)

configure_file(${CMAKE_SOURCE_DIR}/res/version.h.in ${CMAKE_BINARY_DIR}/generated/version.h @ONLY)

file(GLOB PW_WIN32_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/platform/win32/*.cpp)
list(FILTER PW_WIN32_SOURCES EXCLUDE REGEX "/winmain\\.cpp$")
add_library(pwwin32 STATIC ${PW_WIN32_SOURCES})
target_include_directories(pwwin32 PUBLIC ${CMAKE_BINARY_DIR}/generated ${CMAKE_SOURCE_DIR}/res)
target_compile_definitions(pwwin32 PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
# Windows' own libraries, the only DLLs the programs may import (besides
# kernel32 and msvcrt, which every mingw program imports).
# Those of the first list are loaded at start-up, the others at their
# first use (cmake/delay_import.cmake).
set(PW_STARTUP_LIBRARIES advapi32 user32 gdi32)
set(PW_DELAYED_LIBRARIES shell32 shlwapi comctl32 comdlg32 ole32 ws2_32 wininet version)
set(PW_SYSTEM_LIBRARIES ${PW_STARTUP_LIBRARIES} ${PW_DELAYED_LIBRARIES})
include(${CMAKE_SOURCE_DIR}/cmake/delay_import.cmake)
pw_delay_import_libraries(PW_DELAYED_IMPORTS ${PW_DELAYED_LIBRARIES})
target_link_libraries(pwwin32 PUBLIC pwcore ${PW_STARTUP_LIBRARIES} ${PW_DELAYED_IMPORTS})

set(PW_RC_FILE ${CMAKE_SOURCE_DIR}/res/plenwick.rc)
add_executable(plenwick WIN32 ${CMAKE_SOURCE_DIR}/src/platform/win32/winmain.cpp ${PW_RC_FILE})
target_link_libraries(plenwick PRIVATE pwwin32)
target_include_directories(plenwick PRIVATE ${CMAKE_BINARY_DIR}/generated ${CMAKE_SOURCE_DIR}/res)
set_source_files_properties(${PW_RC_FILE} PROPERTIES
    OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/res/plenwick.manifest;${CMAKE_SOURCE_DIR}/res/plenwick.ico;${CMAKE_SOURCE_DIR}/res/resource.h;${CMAKE_SOURCE_DIR}/res/clock_menu.rc.inc;${CMAKE_SOURCE_DIR}/res/settings_dialog.rc.inc")
# Unused functions and data of the static runtime and our libraries stay out.
target_compile_options(pwcore PRIVATE -ffunction-sections -fdata-sections)
target_compile_options(pwwin32 PRIVATE -ffunction-sections -fdata-sections)
target_compile_options(plenwick PRIVATE -ffunction-sections -fdata-sections)
target_link_options(plenwick PRIVATE -s -municode -Wl,--gc-sections)

# plenwick.exe is shipped alone: it must be a PE of this build's machine
# (PE32 i386 for the product) importing only DLLs of Windows itself.
# objdump reads it here, so this test needs no Wine; it is labelled
# "native", every test that runs under Wine "wine".
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    set(PW_PE_FORMAT pei-x86-64)
    set(PW_FLAVOUR win64)
else()
    set(PW_PE_FORMAT pei-i386)
    set(PW_FLAVOUR win32)
endif()
# Imported at start-up: only these; the delayed ones come from the list above.
string(REPLACE ";" "," PW_ALLOWED_DLLS "kernel32;msvcrt;${PW_STARTUP_LIBRARIES}")
add_test(NAME plenwick_pe COMMAND ${CMAKE_COMMAND}
    -DEXE=$<TARGET_FILE:plenwick> -DOBJDUMP=${CMAKE_OBJDUMP} -DFORMAT=${PW_PE_FORMAT}
    -DDLLS=${PW_ALLOWED_DLLS} -P ${CMAKE_SOURCE_DIR}/cmake/check_pe.cmake)
set_tests_properties(plenwick_pe PROPERTIES LABELS native)

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
set(PW_TEST_ENV "PW_SOURCE_DIR=${CMAKE_SOURCE_DIR};PW_BUILD_DIR=${CMAKE_BINARY_DIR};WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix;PW_FLAVOUR=${PW_FLAVOUR}")

add_test(NAME win32_tests COMMAND ${PW_WINE_RUN} $<TARGET_FILE:pw_wintests>)
set_tests_properties(win32_tests PROPERTIES ENVIRONMENT "${PW_TEST_ENV}" RESOURCE_LOCK wineprefix TIMEOUT 900 LABELS wine)

# End-to-end runs of plenwick.exe: every tests/e2e/test_*.sh is one test.
file(GLOB PW_E2E CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/test_*.sh)
foreach(script ${PW_E2E})
    get_filename_component(name ${script} NAME_WE)
    add_test(NAME e2e_${name} COMMAND sh ${script})
    set_tests_properties(e2e_${name} PROPERTIES ENVIRONMENT "${PW_TEST_ENV}" RESOURCE_LOCK wineprefix TIMEOUT 900 LABELS wine)
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
