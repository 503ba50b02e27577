# kv_add_test(NAME SOURCES files... [LIBS libs...] [LABELS labels...])
# One ctest entry per test program; Windows programs run through the Wine
# emulator that the toolchain file names.
function(kv_add_test name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main kv_options)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "KV_TEST_DATA=${CMAKE_SOURCE_DIR}/tests/data;KV_BINARY_DIR=${CMAKE_BINARY_DIR}"
        LABELS "${T_LABELS}" TIMEOUT 600)
endfunction()
