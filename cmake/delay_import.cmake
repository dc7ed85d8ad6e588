# Delay-loaded system DLLs: the program links against import libraries
# that load their DLL at the first call into it, not at start-up. The
# clock needs only kernel32, user32, gdi32 and advapi32 to show; the file,
# folder and colour dialogs, the common controls, COM, sockets and the
# shell wait until a user asks for them (under Wine, comdlg32 alone brings
# the printing system and its Linux libraries along).
#
# The libraries are made at configure time from the toolchain's own import
# libraries: every function they name, as a definition file for dlltool.
# 32-bit names keep their stdcall decoration as the symbol and lose it as
# the name looked up in the DLL (--kill-at), as in the import libraries.
#   pw_delay_import_libraries(<out var> <dll base name>...)
# sets <out var> to the full paths of the libraries, to be linked in place
# of -l<name>.
function(pw_delay_import_libraries out)
    find_program(PW_DLLTOOL ${PW_MINGW_PREFIX}-dlltool REQUIRED)
    find_program(PW_NM ${PW_MINGW_PREFIX}-nm REQUIRED)
    if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
        set(prefix "__imp_")
        set(kill_at)
    else()
        set(prefix "__imp__")
        set(kill_at --kill-at)
    endif()
    set(dir ${CMAKE_BINARY_DIR}/delayimp)
    file(MAKE_DIRECTORY ${dir})
    set(libs)
    foreach(name ${ARGN})
        find_library(PW_IMPORT_${name} NAMES ${name} REQUIRED NO_CACHE)
        set(lib ${dir}/libdelay_${name}.a)
        if(NOT EXISTS ${lib} OR PW_IMPORT_${name} IS_NEWER_THAN ${lib})
            execute_process(COMMAND ${PW_NM} ${PW_IMPORT_${name}}
                OUTPUT_VARIABLE symbols RESULT_VARIABLE rc ERROR_QUIET)
            if(NOT rc EQUAL 0)
                message(FATAL_ERROR "${PW_NM} ${PW_IMPORT_${name}} failed")
            endif()
            string(REGEX MATCHALL " I ${prefix}[^\n]+" imports "${symbols}")
            set(def "LIBRARY ${name}.dll\nEXPORTS\n")
            foreach(entry ${imports})
                string(REPLACE " I ${prefix}" "" function "${entry}")
                string(APPEND def "${function}\n")
            endforeach()
            file(WRITE ${dir}/${name}.def "${def}")
            execute_process(COMMAND ${PW_DLLTOOL} ${kill_at} --input-def ${dir}/${name}.def
                --dllname ${name}.dll --output-delaylib ${lib}
                RESULT_VARIABLE rc ERROR_VARIABLE err)
            if(NOT rc EQUAL 0)
                message(FATAL_ERROR "dlltool could not make ${lib}: ${err}")
            endif()
        endif()
        list(APPEND libs ${lib})
    endforeach()
    set(${out} ${libs} PARENT_SCOPE)
endfunction()
