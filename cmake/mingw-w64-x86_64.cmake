# Cross-build for 64-bit Windows with MinGW-w64:
#   cmake -S . -B build-win64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#         -DCMAKE_BUILD_TYPE=Release -DVORTA_BUILD_TESTS=OFF -DVORTA_BUILD_CLI=OFF
#   cmake --build build-win64 --target vorta_shared vorta_windows_host
set(VORTA_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(VORTA_MINGW_ARCH_FLAGS "")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
