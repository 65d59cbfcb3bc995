#!/usr/bin/env bash
# The library exports exactly its interface: every dynamic symbol it defines belongs to one of
# the public families, and the internal routines stay hidden. Every exported symbol carries a
# version of cmake/orbmath.map, and ORBMATH_0.1 is exactly the interface 0.1.0 exported (the
# symbols of abi/liborbmath.so.0.1.0.abi).
set -euo pipefail
lib=$1
baseline=${2:-$(dirname "$0")/../abi/liborbmath.so.0.1.0.abi}
# name, name@@VERSION or name@VERSION per defined dynamic symbol. Weak instantiations of the
# standard library's templates and the sanitizer runtime's function-type descriptors
# (unoptimised and sanitizer builds emit them) are not interface; neither are the version
# definitions themselves (absolute symbols named after the nodes).
versioned=$(nm -D --defined-only --with-symbol-versions "$lib" \
  | awk '{name = $3; sub(/@.*/, "", name)}
         !($2 ~ /^[VWu]$/ && name ~ /^_Z(T[IS])?(F|N?K?St|St|N9__gnu_cxx)/) &&
         !($2 == "A" && name ~ /^ORBMATH_[0-9.]+$/) {print $3}' | sort -u)
syms=$(printf '%s\n' "$versioned" | sed 's/@.*//' | sort -u)
public='^(cmath_|cs[A-Z]|cf[A-Z_]|cstd_|csys_|cxf|cordic7b8r1_sobel$|randomSample)'
classes='(cxObject|cxNMMatrix|cxVector|cxAngle8|cxAngle16|cxDegree|cxRadian|cxfRealEq)'
bad=$(printf '%s\n' "$syms" | grep -v -E "$public" | grep -v -E "^_Z.*$classes" \
      | grep -v -E '^(_init|_fini|_edata|_end|__bss_start)$' || true)
internal=$(printf '%s\n' "$syms" | grep -E \
  'luDecompose|luBackSubstitute|svdDecompose|hessenberg|tridiagonal|^cmath_xform_constructLinear$|^cmath_xfcomposed_composeFront$' || true)
unversioned=$(printf '%s\n' "$versioned" | grep -v -E '@@ORBMATH_0\.[12]$' || true)
released=$(sed -n "s/^ *<elf-symbol name='\([^']*\)'.*/\1/p" "$baseline" | sort -u)
[ -n "$released" ] || { echo "no symbols read from $baseline"; exit 1; }
v01=$(printf '%s\n' "$versioned" | sed -n 's/@@ORBMATH_0\.1$//p' | sort -u)
status=0
report() { # title, then the names (at most 30 shown)
  echo "$1"; printf '%s\n' "$2" | head -n 30
  [ "$(printf '%s\n' "$2" | wc -l)" -le 30 ] || echo "... $(printf '%s\n' "$2" | wc -l) in all"
  status=1
}
[ -z "$bad" ] || report "symbols outside the interface:" "$bad"
[ -z "$internal" ] || report "internal routines exported:" "$internal"
[ -z "$unversioned" ] ||
  report "exported without the default version ORBMATH_0.1 or ORBMATH_0.2 (see cmake/orbmath.map):" "$unversioned"
[ "$v01" = "$released" ] ||
  report "ORBMATH_0.1 differs from the interface of 0.1.0 (< only in 0.1.0, > only in this build):" \
         "$(diff <(printf '%s\n' "$released") <(printf '%s\n' "$v01") | grep '^[<>]' || true)"
echo "$(printf '%s\n' "$syms" | wc -l) exported symbols checked," \
     "$(printf '%s\n' "$v01" | grep -c .) of them in ORBMATH_0.1"
exit $status
