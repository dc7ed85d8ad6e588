# Delay-loaded system DLLs: the program calls some functions of Windows'
# DLLs through slots that load their DLL at the first call, not at
# start-up. The clock needs only kernel32, user32, gdi32 and advapi32 to
# show; the file, folder and colour dialogs, the common controls, COM,
# sockets and the shell wait until a user asks for them (under Wine,
# comdlg32 alone brings the printing system and its Linux libraries along).
#
# dlltool makes the slots and their loading code from a definition file
# of the functions in cmake/delayed_imports.txt. Its output is an archive,
# but the program links the archive's objects themselves: the i686 linker
# takes members of such an archive for an ordinary import library and
# drops their loading code, which leaves every slot 0 (the program then
# jumps to address 0 at its first call into the DLL). Objects it links as
# they are. Linking them also means every function of the list gets its
# slot, so the list holds only what the program calls.
# 32-bit names keep their stdcall decoration as the symbol and lose it as
# the name looked up in the DLL (--kill-at), as in the import libraries.
#
#   pw_delay_import_objects(<objects var> <dlls var> <list file> [ARCHIVES <var>])
# sets <objects var> to the object files to link into the program,
# <dlls var> to the DLLs of the list, and with ARCHIVES, <var> to the
# archives themselves (the way that leaves the slots 0; a test keeps it).
function(pw_delay_import_objects objects_out dlls_out list_file)
    cmake_parse_arguments(PARSE_ARGV 3 arg "" "ARCHIVES" "")
    find_program(PW_DLLTOOL ${PW_MINGW_PREFIX}-dlltool REQUIRED)
    find_program(PW_NM ${PW_MINGW_PREFIX}-nm REQUIRED)
    find_program(PW_AR ${PW_MINGW_PREFIX}-ar REQUIRED)
    if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
        set(prefix "__imp_")
        set(kill_at)
    else()
        set(prefix "__imp__")
        set(kill_at --kill-at)
    endif()
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${list_file})
    file(STRINGS ${list_file} lines REGEX "^[A-Za-z0-9_]+ [A-Za-z0-9_]+$")
    set(dlls)
    foreach(line ${lines})
        string(REPLACE " " ";" pair "${line}")
        list(GET pair 0 dll)
        list(GET pair 1 function)
        list(APPEND dlls ${dll})
        list(APPEND functions_${dll} ${function})
    endforeach()
    list(REMOVE_DUPLICATES dlls)

    set(dir ${CMAKE_BINARY_DIR}/delayimp)
    # Objects of functions since removed from the list must not stay.
    file(REMOVE_RECURSE ${dir})
    set(objects)
    set(archives)
    foreach(dll ${dlls})
        find_library(PW_IMPORT_${dll} NAMES ${dll} REQUIRED NO_CACHE)
        execute_process(COMMAND ${PW_NM} ${PW_IMPORT_${dll}}
            OUTPUT_VARIABLE symbols RESULT_VARIABLE rc ERROR_QUIET)
        if(NOT rc EQUAL 0)
            message(FATAL_ERROR "${PW_NM} ${PW_IMPORT_${dll}} failed")
        endif()
        set(def "LIBRARY ${dll}.dll\nEXPORTS\n")
        foreach(function ${functions_${dll}})
            # The import library knows the decoration (@ and the bytes of
            # the arguments) of each 32-bit name.
            if(NOT symbols MATCHES " I ${prefix}(${function}(@[0-9]+)?)\n")
                message(FATAL_ERROR "${list_file}: ${dll} has no function ${function}")
            endif()
            string(APPEND def "${CMAKE_MATCH_1}\n")
        endforeach()
        set(out ${dir}/${dll})
        file(MAKE_DIRECTORY ${out})
        file(WRITE ${out}/${dll}.def "${def}")
        execute_process(COMMAND ${PW_DLLTOOL} ${kill_at} --input-def ${out}/${dll}.def
            --dllname ${dll}.dll --output-delaylib ${out}/delay_${dll}.a
            RESULT_VARIABLE rc ERROR_VARIABLE err)
        if(NOT rc EQUAL 0)
            message(FATAL_ERROR "dlltool could not make the slots of ${dll}: ${err}")
        endif()
        execute_process(COMMAND ${PW_AR} x delay_${dll}.a WORKING_DIRECTORY ${out}
            RESULT_VARIABLE rc ERROR_VARIABLE err)
        if(NOT rc EQUAL 0)
            message(FATAL_ERROR "${PW_AR} could not unpack delay_${dll}.a: ${err}")
        endif()
        file(GLOB found ${out}/*.o)
        list(APPEND objects ${found})
        list(APPEND archives ${out}/delay_${dll}.a)
    endforeach()
    set(${objects_out} ${objects} PARENT_SCOPE)
    set(${dlls_out} ${dlls} PARENT_SCOPE)
    if(arg_ARCHIVES)
        set(${arg_ARCHIVES} ${archives} PARENT_SCOPE)
    endif()
endfunction()
