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
