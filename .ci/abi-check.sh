#!/usr/bin/env bash
# The binary interface of liborbmath.so.0 only grows: compares the library with the committed ABI
# of the last release (abi/, made by abidw) and refuses any change that is not a pure addition:
# removed or changed functions and variables, changed records, class layouts or enum values.
#   bash .ci/abi-check.sh                      build this tree (Release with debug information,
#                                              g++, in build/abi) and compare it
#   bash .ci/abi-check.sh LIBRARY [BASELINE]   compare a library built with debug information
# Prints abidiff's report. Exit status 0: compatible; 1: incompatible; 2: could not check.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
baseline=${2:-$src/abi/liborbmath.so.0.1.0.abi}
if [ $# -ge 1 ]; then
  lib=$1
else
  build=$src/build/abi
  cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=gcc \
        -DCMAKE_CXX_COMPILER=g++ -DCMAKE_C_FLAGS=-g -DCMAKE_CXX_FLAGS=-g \
        -DORBMATH_BUILD_EXAMPLES=OFF >/dev/null || exit 2
  cmake --build "$build" -j2 --target orbmath >/dev/null || exit 2
  lib=$build/liborbmath.so
fi
command -v abidiff >/dev/null || { echo "abidiff not found (apt-get install abigail-tools)"; exit 2; }
[ -f "$baseline" ] || { echo "no baseline $baseline"; exit 2; }
# Without DWARF abidiff compares symbol names only and would miss every layout change.
readelf -S -W "$lib" | grep -q '\.debug_info' ||
  { echo "$lib has no debug information: build it with -g"; exit 2; }

echo "ABI of $(basename "$(readlink -f "$lib")") against $(basename "$baseline"):"
rc=0
abidiff "$baseline" "$lib" || rc=$?
# abidiff's status is a bit set: 1 error, 2 usage error, 4 ABI change, 8 incompatible change.
if [ $((rc & 3)) -ne 0 ]; then
  echo "ABI check: abidiff failed (status $rc)"
  exit 2
fi
# abidiff pairs functions by name and version, and says nothing when a released symbol comes
# back under another version (or none): every released name@version must still be exported.
released=$(awk -F"'" '/^ *<elf-symbol / {
                v = ""; for (i = 1; i < NF; i += 2) if ($i ~ / version=$/) v = "@@" $(i + 1)
                print $2 v }' "$baseline" | sort -u)
exported=$(nm -D --defined-only --with-symbol-versions "$lib" | awk '{print $3}' | sort -u)
gone=$(comm -23 <(printf '%s\n' "$released") <(printf '%s\n' "$exported"))
if [ -n "$gone" ]; then
  echo "released symbols no longer exported with their version ($(printf '%s\n' "$gone" | wc -l)):"
  printf '  %s\n' $gone | head -n 40
fi
# A change that remains once added functions and variables are left out is not an addition.
rest=0
[ $rc -eq 0 ] || abidiff --no-added-syms "$baseline" "$lib" >/dev/null || rest=$?
if [ -z "$gone" ] && [ $rest -eq 0 ]; then
  [ $rc -eq 0 ] && echo "ABI check: no change" || echo "ABI check: compatible (additions only)"
  exit 0
fi
echo "ABI check: INCOMPATIBLE with the released interface (abidiff status $rc)."
echo "Restore the interface, or add what is new instead of changing what exists (a new function,"
echo "a new record); a break needs a new major version, SONAME and baseline (README.md, Versions)."
exit 1
