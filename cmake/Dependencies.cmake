# zlib, libdeflate and libjpeg come from the system (Debian's packages
# natively; the mingw-w64 zlib package and our cross-built libdeflate and
# libjpeg-turbo for Windows).
if(WIN32)
    set(ZLIB_USE_STATIC_LIBS ON)  # one .exe: no zlib1.dll beside it
endif()
find_package(ZLIB REQUIRED)
find_package(JPEG REQUIRED)
# libdeflate ships no CMake package in this version: header and library.
find_path(KV_LIBDEFLATE_INCLUDE_DIR libdeflate.h REQUIRED)
find_library(KV_LIBDEFLATE_LIBRARY NAMES deflate REQUIRED)
add_library(kv_libdeflate INTERFACE)
target_include_directories(kv_libdeflate SYSTEM INTERFACE ${KV_LIBDEFLATE_INCLUDE_DIR})
target_link_libraries(kv_libdeflate INTERFACE ${KV_LIBDEFLATE_LIBRARY})

# libsodium (release signatures): Debian's libsodium-dev natively, our
# cross-built static library for Windows, where its headers must be told the
# library is not a DLL.
find_path(KV_SODIUM_INCLUDE_DIR sodium.h REQUIRED)
find_library(KV_SODIUM_LIBRARY NAMES sodium REQUIRED)
add_library(kv_sodium INTERFACE)
target_include_directories(kv_sodium SYSTEM INTERFACE ${KV_SODIUM_INCLUDE_DIR})
target_link_libraries(kv_sodium INTERFACE ${KV_SODIUM_LIBRARY})
if(WIN32)
    target_compile_definitions(kv_sodium INTERFACE SODIUM_STATIC)
endif()

# libzstd (the patches of delta updates): Debian's libzstd-dev natively, our
# cross-built static library for Windows.
find_path(KV_ZSTD_INCLUDE_DIR zstd.h REQUIRED)
find_library(KV_ZSTD_LIBRARY NAMES libzstd.a zstd REQUIRED)
add_library(kv_zstd INTERFACE)
target_include_directories(kv_zstd SYSTEM INTERFACE ${KV_ZSTD_INCLUDE_DIR})
target_link_libraries(kv_zstd INTERFACE ${KV_ZSTD_LIBRARY})

# GoogleTest from Debian's googletest sources, built with each tree's compiler.
set(KV_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${KV_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
