# Checks a built Windows program without running it: its PE format and
# machine, and that every DLL it imports is one Windows itself has (a
# program copied alone onto a bare Windows must start).
#   cmake -DEXE=prog.exe -DOBJDUMP=objdump -DFORMAT=pei-i386
#         -DDLLS=kernel32,user32,... -P check_pe.cmake
# FORMAT is objdump's name of the format: pei-i386 (PE32, i386) or
# pei-x86-64 (PE32+, x86-64).
cmake_minimum_required(VERSION 3.25)
foreach(v EXE OBJDUMP FORMAT DLLS)
    if(NOT DEFINED ${v})
        message(FATAL_ERROR "check_pe: ${v} is not given")
    endif()
endforeach()

execute_process(COMMAND ${OBJDUMP} -f -p ${EXE}
    OUTPUT_VARIABLE dump ERROR_VARIABLE err RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} -f -p ${EXE} failed: ${err}")
endif()

if(FORMAT STREQUAL "pei-i386")
    set(magic "010b")
    set(arch "i386")
else()
    set(magic "020b")
    set(arch "i386:x86-64")
endif()
set(failures)
if(NOT dump MATCHES "file format ${FORMAT}\n")
    string(REGEX MATCH "file format [^\n]*" found "${dump}")
    list(APPEND failures "expected file format ${FORMAT}, found \"${found}\"")
endif()
if(NOT dump MATCHES "\nMagic[\t ]+${magic}")
    list(APPEND failures "the optional header's magic is not ${magic}")
endif()
if(NOT dump MATCHES "\narchitecture: ${arch},")
    list(APPEND failures "the architecture is not ${arch}")
endif()

string(REPLACE "," ";" allowed "${DLLS}")
list(TRANSFORM allowed TOLOWER)
list(TRANSFORM allowed APPEND ".dll")
string(REGEX MATCHALL "DLL Name: [^\n]+" names "${dump}")
if(NOT names)
    list(APPEND failures "no imported DLL found in the dump")
endif()
set(imported)
foreach(line ${names})
    string(REGEX REPLACE "^DLL Name: *" "" dll "${line}")
    string(STRIP "${dll}" dll)
    string(TOLOWER "${dll}" dll)
    list(APPEND imported ${dll})
    if(NOT dll IN_LIST allowed)
        list(APPEND failures "imports ${dll}, which is not a Windows system DLL")
    endif()
endforeach()

if(failures)
    list(JOIN failures "\n  " text)
    message(FATAL_ERROR "${EXE}:\n  ${text}")
endif()
list(JOIN imported " " text)
message(STATUS "${EXE}: ${FORMAT}, imports ${text}")
