# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-builds the Windows programs (x86_64, MinGW-w64 with POSIX threads)
# against the prebuilt Qt and ActiveQt beside the checkout, or the one that
# GRIDWRIGHTER_QT_MINGW names.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

if(DEFINED ENV{GRIDWRIGHTER_QT_MINGW})
  set(GRIDWRIGHTER_QT_MINGW $ENV{GRIDWRIGHTER_QT_MINGW})
elseif(NOT GRIDWRIGHTER_QT_MINGW)
  get_filename_component(GRIDWRIGHTER_QT_MINGW
      ${CMAKE_CURRENT_LIST_DIR}/../../shared/toolchains/qt5.15.8-mingw64 ABSOLUTE)
endif()
set(GRIDWRIGHTER_QT_MINGW ${GRIDWRIGHTER_QT_MINGW} CACHE PATH "Qt and ActiveQt built for MinGW-w64" FORCE)
if(NOT EXISTS ${GRIDWRIGHTER_QT_MINGW}/lib/cmake/Qt5)
  message(FATAL_ERROR "no Qt for MinGW-w64 in ${GRIDWRIGHTER_QT_MINGW}; set GRIDWRIGHTER_QT_MINGW")
endif()
# Passed on to the compiler checks, which run this file again in a fresh project.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES GRIDWRIGHTER_QT_MINGW)

# The Windows import libraries (ole32, oleaut32, uuid...) that Qt's packages
# ask for live in the compiler's own root.
set(CMAKE_FIND_ROOT_PATH ${GRIDWRIGHTER_QT_MINGW} /usr/x86_64-w64-mingw32)
set(CMAKE_PREFIX_PATH ${GRIDWRIGHTER_QT_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Tests run under Wine, each in a Wine prefix of its own, with this Qt.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_COMMAND} -E env GRIDWRIGHTER_QT_MINGW=${GRIDWRIGHTER_QT_MINGW}
    ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
