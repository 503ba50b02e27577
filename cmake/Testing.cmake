# kv_add_test(NAME SOURCES files... [LIBS libs...] [LABELS labels...] [WITH_SERVER | WITH_NGINX])
# One ctest entry per test program; Windows programs run through the Wine
# emulator that the toolchain file names. WITH_SERVER runs the program beside
# a fresh test web server (tools/testserver), found through KV_TEST_SERVER_*;
# WITH_NGINX beside a fresh nginx whose configuration and files stay in the
# build tree, found through KV_NGINX_*.
function(kv_add_test name)
    cmake_parse_arguments(T "WITH_SERVER;WITH_NGINX" "" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main kv_options)
    if(T_WITH_SERVER)
        add_test(NAME ${name} COMMAND ${PROJECT_SOURCE_DIR}/tools/testserver/with-testserver.sh
                 ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:${name}>)
    elseif(T_WITH_NGINX)
        add_test(NAME ${name} COMMAND ${PROJECT_SOURCE_DIR}/tools/testserver/with-nginx.sh
                 ${CMAKE_CURRENT_BINARY_DIR}/${name}-nginx ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:${name}>)
    else()
        add_test(NAME ${name} COMMAND ${name})
    endif()
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "KV_TEST_DATA=${CMAKE_SOURCE_DIR}/tests/data;KV_BINARY_DIR=${CMAKE_BINARY_DIR}"
        LABELS "${T_LABELS}" TIMEOUT 600)
endfunction()
