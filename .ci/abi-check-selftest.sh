#!/usr/bin/env bash
# The ABI check itself: it must accept a pure addition and refuse a moved field.
#   bash .ci/abi-check-selftest.sh [LIBRARY]   LIBRARY: this tree's library with debug information
#                                              (default build/abi/liborbmath.so, which
#                                              .ci/abi-check.sh builds)
# 1. Against a baseline without one of its functions, the library has an added function only:
#    the check passes and names it.
# 2. Against a baseline with one more function, that function was removed: the check fails.
# 3. A copy of the tree with the first field of cmath_statistics moved to its end, rebuilt: the
#    check fails and names the record and the field.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
lib=${1:-$src/build/abi/liborbmath.so}
baseline=$src/abi/liborbmath.so.0.1.0.abi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "ABI check self-test: $*"; exit 1; }

added=cmath_vectFixed31_4_getAngle
sed -e "/<elf-symbol name='$added'/d" -e "/<function-decl .*elf-symbol-id='$added[@']/,/<\/function-decl>/d" \
    "$baseline" >"$work/without.abi"
[ "$(grep -c "'$added[@']" "$work/without.abi")" = 0 ] && [ "$(grep -c "'$added[@']" "$baseline")" -ge 2 ] ||
  fail "could not take $added out of the baseline"
status=0
bash "$src/.ci/abi-check.sh" "$lib" "$work/without.abi" >"$work/added.log" || status=$?
[ $status -eq 0 ] && grep -q "$added" "$work/added.log" ||
  { cat "$work/added.log"; fail "an added function was not accepted as compatible (status $status)"; }
echo "ABI check self-test: an added function passes"

removed=cmath_selftest_removed
sed "/<elf-function-symbols>/a\\    <elf-symbol name='$removed' version='ORBMATH_0.1' is-default-version='yes' type='func-type' binding='global-binding' visibility='default-visibility' is-defined='yes'/>" \
    "$baseline" >"$work/with.abi"
grep -q "'$removed'" "$work/with.abi" || fail "could not add $removed to the baseline"
status=0
bash "$src/.ci/abi-check.sh" "$lib" "$work/with.abi" >"$work/removed.log" || status=$?
[ $status -eq 1 ] && grep -q "$removed" "$work/removed.log" ||
  { cat "$work/removed.log"; fail "a removed function was not refused (status $status)"; }
echo "ABI check self-test: a removed function is refused"

tar -C "$src" --exclude=./build --exclude='./build-*' --exclude=./.git -cf - . | (mkdir "$work/tree" && tar -C "$work/tree" -xf -)
header=$work/tree/include/orbmath/stats.h
sed -i '/^typedef struct cmath_statistics {/,/^} cmath_statistics;/{ /^ *int32_t n;/{h;d}; /^} cmath_statistics;/{x;G} }' "$header"
diff "$src/include/orbmath/stats.h" "$header" >/dev/null && fail "the field of cmath_statistics was not moved"
status=0
bash "$work/tree/.ci/abi-check.sh" >"$work/moved.log" 2>&1 || status=$?
[ $status -eq 1 ] && grep -q "cmath_statistics" "$work/moved.log" && grep -q "int32_t n" "$work/moved.log" ||
  { cat "$work/moved.log"; fail "a moved field of cmath_statistics was not refused (status $status)"; }
echo "ABI check self-test: a moved field is refused:"
grep -E "cmath_statistics|int32_t n|INCOMPATIBLE" "$work/moved.log" | head -n 8
