#!/usr/bin/env bash
# Installs the built library into a scratch prefix, then builds and runs a CMake consumer
# (find_package) and a C consumer (pkg-config) against that installed copy.
set -euo pipefail
build=$1
src=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/prefix" >/dev/null
cmake -S "$src" -B "$work/cmake" -G Ninja -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/cmake" >/dev/null
LD_LIBRARY_PATH="$work/prefix/lib" "$work/cmake/consumer"
libdir=$(find "$work/prefix" -name orbmath.pc -printf '%h\n' | head -n1)
export PKG_CONFIG_PATH="$libdir"
export PKG_CONFIG_SYSROOT_DIR=
# The prefix in the .pc file is the configured one; point pkg-config at the scratch prefix.
flags=$(pkg-config --define-variable=prefix="$work/prefix" --cflags --libs orbmath)
${CC:-cc} -std=c11 -Wall -Wextra -Wpedantic -Werror "$src/main.c" -o "$work/cconsumer" $flags
LD_LIBRARY_PATH="$work/prefix/lib" "$work/cconsumer"
