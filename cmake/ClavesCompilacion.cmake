# What a build checks its release files against, decided before anything is
# compiled. A build for customers (KV_PARA_CLIENTES) must carry the vendor's
# public keys, never the tests' (their secret halves are in this repository),
# and talk to the vendor over HTTPS only; a customers' build without keys is
# made only when it says so (KV_SIN_FIRMAS), and then says "sin firmas" at
# every start. Other builds (tests, demo, native) take what they are given.
#
# Also runs as a script, for the tests of these rules:
#   cmake -DKV_PARA_CLIENTES=ON -DKV_CLAVES_PUBLICAS=... -DKV_VENDOR_URL=... -P ClavesCompilacion.cmake

function(kv_comprobar_claves para_clientes sin_firmas claves vendor_url claves_prueba_dir)
    if(NOT para_clientes)
        return()
    endif()
    if(NOT vendor_url MATCHES "^https://")
        message(FATAL_ERROR "A build for customers talks to the vendor over HTTPS only: KV_VENDOR_URL is "
                            "'${vendor_url}'")
    endif()
    string(REGEX REPLACE "[,; \t]+" ";" lista "${claves}")
    list(REMOVE_ITEM lista "")
    if(NOT lista)
        if(NOT sin_firmas)
            message(FATAL_ERROR "A build for customers needs the vendor's public keys in KV_CLAVES_PUBLICAS "
                                "(or KV_SIN_FIRMAS=ON to say that it checks no signatures)")
        endif()
        return()
    endif()
    if(sin_firmas)
        message(FATAL_ERROR "KV_SIN_FIRMAS=ON and KV_CLAVES_PUBLICAS set: say one or the other")
    endif()
    file(GLOB de_prueba "${claves_prueba_dir}/*.publica")
    foreach(fichero IN LISTS de_prueba)
        file(STRINGS "${fichero}" clave LIMIT_COUNT 1)
        string(TOLOWER "${clave}" clave)
        foreach(k IN LISTS lista)
            string(TOLOWER "${k}" k)
            if(k STREQUAL clave)
                message(FATAL_ERROR "A build for customers refuses the tests' key ${k} (${fichero}): its secret "
                                    "half is public")
            endif()
        endforeach()
    endforeach()
    foreach(k IN LISTS lista)
        if(NOT k MATCHES "^[0-9a-fA-F]+$")
            message(FATAL_ERROR "Not a public key in hex: '${k}'")
        endif()
        string(LENGTH "${k}" largo)
        if(NOT largo EQUAL 64)
            message(FATAL_ERROR "Not a public key in hex: '${k}'")
        endif()
    endforeach()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
    kv_comprobar_claves("${KV_PARA_CLIENTES}" "${KV_SIN_FIRMAS}" "${KV_CLAVES_PUBLICAS}" "${KV_VENDOR_URL}"
                        "${CMAKE_CURRENT_LIST_DIR}/../tests/support/claves")
endif()
