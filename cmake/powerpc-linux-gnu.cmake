# Toolchain for the box: 32-bit big-endian PowerPC Linux, Debian's cross
# compilers, the target's libFLAC and libsigc++ from scripts/ppc-deps.sh, and
# qemu-ppc to run what is built.
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/powerpc-linux-gnu.cmake -DTIVRA_PPC_PREFIX=DIR ...
# A box's own SDK takes the place of Debian's with its compilers' prefix and
# its sysroot:
#   -DTIVRA_CROSS_PREFIX=/opt/sdk/bin/powerpc-oe-linux- -DTIVRA_PPC_SYSROOT=/opt/sdk/sysroot
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR powerpc)
set(TIVRA_CROSS_PREFIX powerpc-linux-gnu- CACHE STRING "The cross compilers' prefix")
set(TIVRA_PPC_SYSROOT /usr/powerpc-linux-gnu CACHE PATH "The target's C library and headers")
set(CMAKE_C_COMPILER ${TIVRA_CROSS_PREFIX}gcc)
set(CMAKE_CXX_COMPILER ${TIVRA_CROSS_PREFIX}g++)
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TIVRA_PPC_PREFIX TIVRA_CROSS_PREFIX
     TIVRA_PPC_SYSROOT)
# Debian's cross compilers know their sysroot; an SDK's are told it.
if(NOT TIVRA_PPC_SYSROOT STREQUAL "/usr/powerpc-linux-gnu")
    set(CMAKE_SYSROOT ${TIVRA_PPC_SYSROOT})
endif()
set(CMAKE_FIND_ROOT_PATH ${TIVRA_PPC_SYSROOT} ${TIVRA_PPC_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config finds the target's libraries only.
set(ENV{PKG_CONFIG_LIBDIR} "${TIVRA_PPC_PREFIX}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")

# The target's dynamic loader runs the program, rather than qemu's -L option:
# with -L, qemu rewrites every absolute path that also exists under the
# sysroot ("/" included), and the browser would list the sysroot as "/".
set(CMAKE_CROSSCOMPILING_EMULATOR
    qemu-ppc ${TIVRA_PPC_SYSROOT}/lib/ld.so.1
    --library-path ${TIVRA_PPC_SYSROOT}/lib:${TIVRA_PPC_PREFIX}/lib)

# The box has neither ALSA nor a terminal nor a desktop to speak of; the
# tests run headless.
set(BOXSIM_WITH_ALSA OFF CACHE BOOL "")
set(BOXSIM_WITH_TERMINAL OFF CACHE BOOL "")
set(BOXSIM_WITH_WINDOW OFF CACHE BOOL "")
set(TIVRA_IPK_ARCH powerpc CACHE STRING "")
set(TIVRA_EXPECTED_ELF "ELF32;2's complement, big endian;PowerPC" CACHE STRING "")
