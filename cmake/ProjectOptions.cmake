# Flags every target of ours links through kv_options (never global flags).
add_library(kv_options INTERFACE)
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    target_compile_options(kv_options INTERFACE -Wall -Wextra -Wno-unused-parameter)
endif()
if(WIN32)
    target_compile_definitions(kv_options INTERFACE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                               _WIN32_WINNT=0x0601)
endif()
if(KV_SANITIZE)
    target_compile_options(kv_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                           -fno-sanitize-recover=undefined)
    target_link_options(kv_options INTERFACE -fsanitize=address,undefined)
endif()
if(KV_FUZZ)
    # Coverage feedback for the fuzzers from every library they link.
    target_compile_options(kv_options INTERFACE -fsanitize=fuzzer-no-link)
endif()
