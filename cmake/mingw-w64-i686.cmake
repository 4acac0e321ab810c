# Cross-build for 32-bit Windows with MinGW-w64:
#   cmake -S . -B build-win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake \
#         -DCMAKE_BUILD_TYPE=Release -DVORTA_BUILD_TESTS=OFF -DVORTA_BUILD_CLI=OFF
#   cmake --build build-win32 --target vorta_shared vorta_windows_host
set(VORTA_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR X86)
# Double arithmetic in SSE2 registers, as on 64-bit: the x87 unit's extended precision would
# round intermediate results differently and change last printed digits of the report.
# The stack is realigned where SSE needs it, since a 32-bit caller keeps only 4-byte alignment.
set(VORTA_MINGW_ARCH_FLAGS "-msse2 -mfpmath=sse -mstackrealign")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
