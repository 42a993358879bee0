# 64-bit Windows (x64, and Windows 11 on Arm through its emulation).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
