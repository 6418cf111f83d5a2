# clang with libc++, the toolchain of macOS, on Debian (clang-19, libc++-19-dev, libc++abi-19-dev):
#   cmake -S . -B build-libcxx --toolchain cmake/clang-libc++.cmake
set(CMAKE_C_COMPILER clang-19)
set(CMAKE_CXX_COMPILER clang++-19)
# The flags of C++ compilations go to their links too.
set(CMAKE_CXX_FLAGS_INIT "-stdlib=libc++")
# Debian's GoogleTest libraries are built for libstdc++: GoogleTest is built from its sources.
set(THERMOCRACK_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources to build the tests with")
