# Native Linux build: the portable code, its POSIX helpers and the
# GoogleTest suite, plus benchmarks and fuzz targets.

file(GLOB PW_POSIX_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/platform/posix/*.cpp)
if(PW_POSIX_SOURCES)
    add_library(pwposix STATIC ${PW_POSIX_SOURCES})
    target_link_libraries(pwposix PUBLIC pwcore)
else()
    add_library(pwposix INTERFACE)
    target_link_libraries(pwposix INTERFACE pwcore)
endif()

set(PW_NATIVE_TESTS)
foreach(dir ${PW_PORTABLE_DIRS} posix)
    file(GLOB found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${dir}/*.cpp)
    list(APPEND PW_NATIVE_TESTS ${found})
endforeach()

add_executable(pw_tests ${PW_NATIVE_TESTS})
target_link_libraries(pw_tests PRIVATE pwtestsupport pwposix gtest_main)
include(GoogleTest)
gtest_discover_tests(pw_tests
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "PW_SOURCE_DIR=${CMAKE_SOURCE_DIR};PW_BUILD_DIR=${CMAKE_BINARY_DIR}")

# Benchmarks are programs, never tests: each bench/*_native.cpp or
# bench/*.cpp without a _win32 suffix becomes one executable.
file(GLOB PW_BENCHES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*.cpp)
foreach(src ${PW_BENCHES})
    get_filename_component(name ${src} NAME_WE)
    if(name MATCHES "_win32$")
        continue()
    endif()
    add_executable(bench_${name} ${src})
    target_link_libraries(bench_${name} PRIVATE pwposix pwcore)
    target_include_directories(bench_${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR}/bench)
endforeach()

# Fuzz targets: each fuzz/*.cpp defines LLVMFuzzerTestOneInput. They are
# always built as a replay driver (runs the files given on the command
# line, or a fixed pseudo-random corpus), and with clang as libFuzzer
# targets when PW_LIBFUZZER is on. A target with seeds in
# fuzz/corpus/<target> gets a second test that runs them and variants of
# them.
file(GLOB PW_FUZZERS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/fuzz/fuzz_*.cpp)
foreach(src ${PW_FUZZERS})
    get_filename_component(name ${src} NAME_WE)
    if(PW_LIBFUZZER)
        add_executable(${name} ${src})
        target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    else()
        add_executable(${name} ${src} ${CMAKE_SOURCE_DIR}/fuzz/replay_main.cpp)
        add_test(NAME ${name}_replay COMMAND ${name})
        if(IS_DIRECTORY ${CMAKE_SOURCE_DIR}/fuzz/corpus/${name})
            add_test(NAME ${name}_seeds COMMAND ${name} ${CMAKE_SOURCE_DIR}/fuzz/corpus/${name})
        endif()
    endif()
    # The in-memory file system lets a target read and write files
    # without touching the disk.
    target_sources(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support/memory_files.cpp)
    target_link_libraries(${name} PRIVATE pwposix pwcore)
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
endforeach()

# The rooms hold: a header is found from a room only when the room may use
# it. Each case compiles one include with a room's own include roots.
#   room         header                    found
set(PW_ROOM_PROBES
    common       ui/dialog_view.h          no
    log          sched/clock_tick.h        no
    timehelper   nettime/netsync.h         no
    sched        app/clock_window.h        no
    app          ui/settings_dialog.h      no
    nettime      timehelper/protocol.h     yes
    timeservice  common/text.h             yes
    ui           app/reminder_window.h     yes)
list(LENGTH PW_ROOM_PROBES probes_length)
math(EXPR probes_last "${probes_length} - 1")
foreach(i RANGE 0 ${probes_last} 3)
    math(EXPR j "${i} + 1")
    math(EXPR k "${i} + 2")
    list(GET PW_ROOM_PROBES ${i} room)
    list(GET PW_ROOM_PROBES ${j} header)
    list(GET PW_ROOM_PROBES ${k} found)
    string(MAKE_C_IDENTIFIER "${header}" probe)
    set(name rooms_${room}_includes_${probe})
    add_test(NAME ${name}
        COMMAND ${CMAKE_CXX_COMPILER} -std=c++20 -fsyntax-only
            "-I$<JOIN:$<TARGET_PROPERTY:pw_${room},INCLUDE_DIRECTORIES>,;-I>"
            "-DPW_PROBE=<${header}>" ${CMAKE_SOURCE_DIR}/tests/rooms/include_probe.cpp
        COMMAND_EXPAND_LISTS)
    if(found STREQUAL "no")
        # Refused for the one reason that counts, not for any error.
        set_tests_properties(${name} PROPERTIES PASS_REGULAR_EXPRESSION "${header}: No such file or directory")
    endif()
endforeach()
