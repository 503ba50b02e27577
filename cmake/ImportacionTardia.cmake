# System DLLs the program loads late, from the system folder only. Windows
# looks for a DLL named in the import table first beside the program, before
# any of its code runs, so a VERSION.dll dropped in the Downloads folder next
# to the installer would run inside it (elevated, often). For these DLLs,
# which are not among the ones Windows always takes from the system folder,
# the program links delay-import libraries instead: each DLL is loaded at the
# first call of one of its functions, after the entry has restricted the
# search to the system folder (installer/CargaSistema.cpp).
#
# kv_importacion_tardia(NAME...) makes kv::<name> for each import library
# name (version, mpr, ...): a delay-import library with every function of
# the system's import library, made with the toolchain's dlltool.
function(kv_importacion_tardia)
    find_program(KV_NM NAMES ${TOOLCHAIN_PREFIX}-nm REQUIRED)
    find_program(KV_DLLTOOL NAMES ${TOOLCHAIN_PREFIX}-dlltool REQUIRED)
    foreach(nombre IN LISTS ARGN)
        find_library(kv_lib_${nombre} NAMES lib${nombre}.a REQUIRED)
        set(salida ${CMAKE_BINARY_DIR}/tardia/lib${nombre}_tardia.a)
        if(NOT EXISTS ${salida} OR ${kv_lib_${nombre}} IS_NEWER_THAN ${salida})
            execute_process(COMMAND ${KV_NM} -g --defined-only ${kv_lib_${nombre}} OUTPUT_VARIABLE simbolos
                            COMMAND_ERROR_IS_FATAL ANY)
            string(REGEX MATCHALL "[0-9a-f]+ T [A-Za-z_][A-Za-z0-9_@]*" funciones "${simbolos}")
            # The DLL's own name as the import library records it.
            execute_process(COMMAND ${KV_DLLTOOL} --identify ${kv_lib_${nombre}} OUTPUT_VARIABLE dll
                            OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
            set(def "LIBRARY ${dll}\nEXPORTS\n")
            foreach(f IN LISTS funciones)
                string(REGEX REPLACE "^[0-9a-f]+ T " "" f "${f}")
                string(APPEND def "${f}\n")
            endforeach()
            file(WRITE ${CMAKE_BINARY_DIR}/tardia/${nombre}.def "${def}")
            execute_process(COMMAND ${KV_DLLTOOL} --input-def ${CMAKE_BINARY_DIR}/tardia/${nombre}.def
                                    --dllname ${dll} --output-delaylib ${salida}
                            COMMAND_ERROR_IS_FATAL ANY)
        endif()
        add_library(kv::${nombre} STATIC IMPORTED GLOBAL)
        set_target_properties(kv::${nombre} PROPERTIES IMPORTED_LOCATION ${salida}
                              INTERFACE_LINK_LIBRARIES delayimp)
    endforeach()
endfunction()
