#!/usr/bin/env bash
# Installs the built library into a scratch prefix, then checks that installed copy as a user
# meets it: the shared library's SONAME and links, the CMake package (with its version rule:
# the project's version is accepted, a later major version is refused), and a C program built
# through pkg-config (the one README.md shows).
#   run.sh BUILD-DIR SOURCE-DIR   install BUILD-DIR under a scratch prefix and check that copy
#   run.sh --system SOURCE-DIR    check the copy the Debian packages installed under /usr, found
#                                 by CMake and pkg-config without any path given
set -euo pipefail
build=$1
src=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
version=$(sed -n 's/^project(orbmath VERSION \([0-9.]*\).*/\1/p' "$src/../../CMakeLists.txt")
major=${version%%.*}
[[ -n $version ]] || { echo "no project version found"; exit 1; }
if [[ $build == --system ]]; then
  prefix=/usr
  libdir=$(pkg-config --variable=libdir orbmath)
  find_args=()
  ld_path= # the loader's own search finds it
else
  prefix=$work/prefix
  cmake --install "$build" --prefix "$prefix" >/dev/null
  libdir=$(dirname "$(find "$prefix" -name "liborbmath.so.$version" | head -n1)")
  find_args=(-DCMAKE_PREFIX_PATH="$prefix")
  ld_path=$libdir
  export PKG_CONFIG_PATH="$libdir/pkgconfig"
fi
[[ -f $libdir/liborbmath.so.$version ]] || { echo "no liborbmath.so.$version in '$libdir'"; exit 1; }

# The library file carries the full version, its SONAME the major version, and the development
# link points to the SONAME link.
soname=$(readelf -d "$libdir/liborbmath.so.$version" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
[[ $soname == "liborbmath.so.$major" ]] || { echo "SONAME is '$soname', expected liborbmath.so.$major"; exit 1; }
[[ $(readlink "$libdir/liborbmath.so.$major") == "liborbmath.so.$version" ]] || { echo "bad SONAME link"; exit 1; }
[[ $(readlink "$libdir/liborbmath.so") == "liborbmath.so.$major" ]] || { echo "bad development link"; exit 1; }
echo "SONAME $soname"

cmake -S "$src" -B "$work/cmake" -G Ninja "${find_args[@]}" \
      -DORBMATH_REQUIRED_VERSION="$version" | grep "found orbmath"
cmake --build "$work/cmake" >/dev/null
LD_LIBRARY_PATH="$ld_path" "$work/cmake/consumer"
# The program runs with the library it was built against.
[[ $(LD_LIBRARY_PATH="$ld_path" ldd "$work/cmake/consumer" | awk '$1 == "liborbmath.so.'"$major"'" {print $3}') -ef \
   $libdir/liborbmath.so.$major ]] || { echo "the consumer does not load $libdir/liborbmath.so.$major"; exit 1; }
if cmake -S "$src" -B "$work/cmake-next" -G Ninja "${find_args[@]}" \
         -DORBMATH_REQUIRED_VERSION="$((major + 1)).0" >/dev/null 2>&1; then
  echo "the package accepted version $((major + 1)).0"
  exit 1
fi
echo "version $((major + 1)).0 refused"

export PKG_CONFIG_SYSROOT_DIR=
[[ $(pkg-config --modversion orbmath) == "$version" ]] || { echo "pkg-config version differs"; exit 1; }
# The .pc file finds the prefix from its own place: nothing to redefine.
flags=$(pkg-config --cflags --libs orbmath)
[[ $(realpath "$(pkg-config --variable=includedir orbmath)") == $(realpath "$prefix/include") ]] ||
  { echo "pkg-config's include directory is not the installed one: $flags"; exit 1; }
${CC:-cc} -std=c11 -Wall -Wextra -Wpedantic -Werror "$src/main.c" -o "$work/cconsumer" $flags
out=$(LD_LIBRARY_PATH="$ld_path" "$work/cconsumer")
echo "$out"
[[ $out == $'(1, 0) maps to (10, 1)\nunit of (0, 0): cmath_errZeroVector, unit still (0, 0)' ]] ||
  { echo "unexpected output of the C program"; exit 1; }
# main.c is the C program of README.md: the two must not drift apart.
awk '/^\*\*A C program\*\*/{f=1;next} f&&/^```c$/{p=1;next} p&&/^```$/{exit} p' "$src/../../README.md" |
  diff - "$src/main.c" || { echo "README.md's C program differs from main.c"; exit 1; }
echo "pkg-config orbmath $version"
