#!/usr/bin/env bash
# The library exports exactly its interface: every dynamic symbol it defines belongs to one of
# the public families, and the internal routines stay hidden.
set -euo pipefail
lib=$1
# Weak instantiations of the standard library's templates and the sanitizer runtime's
# function-type descriptors (unoptimised and sanitizer builds emit them) are not interface.
syms=$(nm -D --defined-only "$lib" \
       | awk '!($2 ~ /^[VWu]$/ && $3 ~ /^_Z(T[IS])?(F|N?K?St|St|N9__gnu_cxx)/) {print $3}' | sort -u)
public='^(cmath_|cs[A-Z]|cf[A-Z_]|cstd_|csys_|cxf|cordic7b8r1_sobel$|randomSample)'
classes='(cxObject|cxNMMatrix|cxVector|cxAngle8|cxAngle16|cxDegree|cxRadian|cxfRealEq)'
bad=$(printf '%s\n' "$syms" | grep -v -E "$public" | grep -v -E "^_Z.*$classes" \
      | grep -v -E '^(_init|_fini|_edata|_end|__bss_start)$' || true)
internal=$(printf '%s\n' "$syms" | grep -E \
  'luDecompose|luBackSubstitute|svdDecompose|hessenberg|tridiagonal|^cmath_xform_constructLinear$|^cmath_xfcomposed_composeFront$' || true)
status=0
if [ -n "$bad" ]; then echo "symbols outside the interface:"; echo "$bad"; status=1; fi
if [ -n "$internal" ]; then echo "internal routines exported:"; echo "$internal"; status=1; fi
echo "$(printf '%s\n' "$syms" | wc -l) exported symbols checked"
exit $status
