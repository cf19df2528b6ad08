# The same sources as 64-bit Windows programs: used to run the Windows tests where the machine
# cannot execute 32-bit code (and so cannot run 32-bit Wine).
set(MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
