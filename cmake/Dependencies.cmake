# zlib and libjpeg come from the system (Debian's packages natively; the
# mingw-w64 zlib package and our cross-built libjpeg-turbo for Windows).
if(WIN32)
    set(ZLIB_USE_STATIC_LIBS ON)  # one .exe: no zlib1.dll beside it
endif()
find_package(ZLIB REQUIRED)
find_package(JPEG REQUIRED)

# GoogleTest from Debian's googletest sources, built with each tree's compiler.
set(KV_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${KV_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
