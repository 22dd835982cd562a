# Cross-build for 64-bit Windows; this machine runs the tests from this build under wine64.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KAVROLIS_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
