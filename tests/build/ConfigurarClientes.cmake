# The customers' preset refuses what would make its build unsafe, before
# anything is compiled; the rules let through what a vendor ships.
#   cmake -DFUENTE=<source> -DTEMPORAL=<scratch folder> -P ConfigurarClientes.cmake
set(prueba 2ad726073e33a37f1e63869e89435d4e29c659f5dde35b9ca72fa437027cfe6e)
set(rotada 7518824ffe655421335381e6b017a11ebf1c98f45262b6ee4a0dc596dce5dc46)
set(vendedor 0f1e2d3c4b5a69788796a5b4c3d2e1f00f1e2d3c4b5a69788796a5b4c3d2e1f0)

set(fallos 0)
function(comprobar que resultado salida esperado)
    if(esperado STREQUAL "ok")
        if(NOT resultado EQUAL 0)
            message(SEND_ERROR "${que}: refused\n${salida}")
        endif()
    elseif(resultado EQUAL 0 OR NOT salida MATCHES "${esperado}")
        message(SEND_ERROR "${que}: expected a refusal matching '${esperado}', got ${resultado}\n${salida}")
    endif()
endfunction()

# Each case: its arguments separated by "!", then "|" and what the refusal
# says (keys in a list are separated by ",", as the build also reads them).
# The real preset: each of these stops the configure.
set(casos
    "|needs the vendor's public keys"
    "-DKV_CLAVES_PUBLICAS=${prueba}|refuses the tests' key ${prueba}"
    "-DKV_CLAVES_PUBLICAS=${vendedor},${rotada}|refuses the tests' key ${rotada}"
    "-DKV_CLAVES_PUBLICAS=${vendedor}!-DKV_VENDOR_URL=http://www.kavo.es|HTTPS only"
    "-DKV_SIN_FIRMAS=ON!-DKV_VENDOR_URL=http://www.kavo.es|HTTPS only"
    "-DKV_SIN_FIRMAS=ON!-DKV_CLAVES_PUBLICAS=${vendedor}|one or the other"
    "-DKV_CLAVES_PUBLICAS=${vendedor}x|Not a public key")
foreach(caso IN LISTS casos)
    string(FIND "${caso}" "|" barra)
    string(SUBSTRING "${caso}" 0 ${barra} argumentos)
    math(EXPR barra "${barra} + 1")
    string(SUBSTRING "${caso}" ${barra} -1 esperado)
    string(REPLACE "!" ";" argumentos "${argumentos}")
    file(REMOVE_RECURSE "${TEMPORAL}")
    execute_process(COMMAND ${CMAKE_COMMAND} --preset windows-clientes -B "${TEMPORAL}" ${argumentos}
                    WORKING_DIRECTORY "${FUENTE}" RESULT_VARIABLE r OUTPUT_VARIABLE o ERROR_VARIABLE o)
    string(REGEX REPLACE "[ \t\r\n]+" " " o "${o}")
    comprobar("windows-clientes ${argumentos}" "${r}" "${o}" "${esperado}")
endforeach()
file(REMOVE_RECURSE "${TEMPORAL}")

# The rules alone (a configure that passes them goes on to build the whole
# tree): what a vendor ships, and every build that is not for customers.
set(pasan
    "-DKV_PARA_CLIENTES=ON!-DKV_CLAVES_PUBLICAS=${vendedor}!-DKV_VENDOR_URL=https://www.kavo.es"
    "-DKV_PARA_CLIENTES=ON!-DKV_CLAVES_PUBLICAS=${vendedor},${vendedor}!-DKV_VENDOR_URL=https://www.kavo.es"
    "-DKV_PARA_CLIENTES=ON!-DKV_SIN_FIRMAS=ON!-DKV_VENDOR_URL=https://www.kavo.es"
    "-DKV_PARA_CLIENTES=OFF!-DKV_CLAVES_PUBLICAS=${prueba}!-DKV_VENDOR_URL=http://127.0.0.1:8080")
foreach(argumentos IN LISTS pasan)
    string(REPLACE "!" ";" argumentos "${argumentos}")
    execute_process(COMMAND ${CMAKE_COMMAND} ${argumentos} -P "${FUENTE}/cmake/ClavesCompilacion.cmake"
                    RESULT_VARIABLE r OUTPUT_VARIABLE o ERROR_VARIABLE o)
    comprobar("${argumentos}" "${r}" "${o}" "ok")
endforeach()
