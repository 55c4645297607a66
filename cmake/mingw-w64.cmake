# Cross build for 64-bit Windows with Debian's mingw-w64 (the posix thread model, for
# std::thread and std::mutex). KRV_WINDOWS_PREFIX: where Qt for Windows and the other
# Windows libraries were installed; searched before the compiler's own root.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KRV_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KRV_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KRV_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${KRV_MINGW}-windres)
set(KRV_WINDOWS_PREFIX "" CACHE PATH "Prefix of the libraries built for Windows (Qt, SQLite)")
set(CMAKE_FIND_ROOT_PATH ${KRV_WINDOWS_PREFIX} /usr/${KRV_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Qt's host tools (moc, rcc, uic) come from the Linux Qt through QT_HOST_PATH.
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
