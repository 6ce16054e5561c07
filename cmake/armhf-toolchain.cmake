# Cross-building for the controller's ARM board (armhf: ARMv7, hard float)
# with Debian's cross toolchain (crossbuild-essential-armhf) and the armhf
# builds of the libraries installed beside the native ones (multiarch, in
# /usr/lib/arm-linux-gnueabihf). scripts/setup --arch armhf installs them;
# scripts/build --arch armhf configures build-armhf/ with this file.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CMAKE_LIBRARY_ARCHITECTURE arm-linux-gnueabihf)

set(CMAKE_C_COMPILER arm-linux-gnueabihf-gcc)
set(CMAKE_CXX_COMPILER arm-linux-gnueabihf-g++)
# GCC notes on ARM that the passing of some arguments changed in GCC 7.1;
# everything here is built by one compiler, so the note concerns nothing.
set(CMAKE_CXX_FLAGS_INIT "-Wno-psabi")

# Libraries, headers and CMake package files of the target only; programs
# (pkg-config, ninja) are the build machine's.
set(CMAKE_FIND_ROOT_PATH /usr/arm-linux-gnueabihf)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)

# pkg-config reads the armhf .pc files only.
set(PKG_CONFIG_EXECUTABLE arm-linux-gnueabihf-pkg-config CACHE FILEPATH "pkg-config of the target")

# The test programs run under user-mode emulation; ctest and the test
# discovery start them through it. The armhf dynamic loader and libraries are
# installed in their multiarch places (/lib/ld-linux-armhf.so.3,
# /usr/lib/arm-linux-gnueabihf), where the emulated loader finds them.
find_program(LONGARM_QEMU_ARM NAMES qemu-arm qemu-arm-static)
if(LONGARM_QEMU_ARM)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${LONGARM_QEMU_ARM})
endif()
