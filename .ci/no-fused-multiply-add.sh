#!/usr/bin/env bash
# Results must not depend on the target's instruction set: the library is built with
# -ffp-contract=off, yet some compiler versions still fuse products into FMA instructions when
# vectorising for a machine that has them. Build for this machine at -O3 with each compiler and
# refuse any fused multiply-add in the library.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
status=0
for cxx in g++ clang++; do
  dir=$(mktemp -d)
  cc=gcc; [ "$cxx" = clang++ ] && cc=clang
  cmake -S "$src" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=$cc \
        -DCMAKE_CXX_COMPILER=$cxx -DCMAKE_CXX_FLAGS="-O3 -march=native" \
        -DORBMATH_BUILD_EXAMPLES=OFF >/dev/null
  cmake --build "$dir" -j2 >/dev/null
  hits=$(objdump -d --no-show-raw-insn "$dir/liborbmath.so" | grep -E -c '\svfn?m(add|sub)' || true)
  if [ "$hits" != 0 ]; then
    echo "$cxx -O3 -march=native: $hits fused multiply-add instructions in liborbmath.so:"
    objdump -d --no-show-raw-insn "$dir/liborbmath.so" \
      | awk '/^[0-9a-f]+ </ {fn = $2} /\tvfn?m(add|sub)/ {print "  " fn}' | sort -u
    status=1
  else
    echo "$cxx -O3 -march=native: no fused multiply-add"
  fi
  rm -rf "$dir"
done
exit $status
