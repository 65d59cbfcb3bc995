#!/usr/bin/env bash
# Lists the functions and objects the sources export (ORBMATH_API, strong definitions) that the
# version script cmake/orbmath.map does not name: the linker would keep them local, so callers
# could not link them. Prints them as lines for the map's newest node.
#   bash cmake/map-additions.sh <build-dir>           lines to add (after a build, even a failed link)
#   bash cmake/map-additions.sh --check <objects...>  the same, and exit 1 if there are any
#                                                     (the build runs this after linking)
set -euo pipefail
map=$(cd "$(dirname "$0")" && pwd)/orbmath.map
check=0
if [ "${1:-}" = --check ]; then check=1; shift; fi
if [ $# -eq 1 ] && [ -d "$1" ]; then
  mapfile -t objects < <(find "$1/CMakeFiles/orbmath.dir" -name '*.o' | sort)
else
  objects=("$@")
fi
[ ${#objects[@]} -gt 0 ] || { echo "no object files of the library found" >&2; exit 2; }

# Defined, global binding, default visibility: what the linker would export without a map.
# (Weak definitions are template instances and inline members; the compilers differ in which
# they emit, and none of them is added to the interface by itself.)
defined=$(readelf -sW "${objects[@]}" |
          awk '$5 == "GLOBAL" && $6 == "DEFAULT" && $7 != "UND" && $4 != "FILE" {print $8}' | sort -u)
# Names in the map: the first word of each entry line, comments and node syntax aside.
listed=$(sed -e 's|/\*.*\*/||g' "$map" | sed -n 's/^[[:space:]]*\([A-Za-z_][A-Za-z0-9_]*\);.*/\1/p' | sort -u)
missing=$(comm -23 <(printf '%s\n' "$defined") <(printf '%s\n' "$listed") | sed '/^$/d')
[ -n "$missing" ] || exit 0
if [ $check -eq 1 ]; then
  echo "exported by the sources but not named in cmake/orbmath.map (so kept local); add to its newest node:" >&2
fi
printf '%s\n' "$missing" | while read -r name; do
  if [[ $name == _Z* ]]; then
    printf '    %s; /* %s */\n' "$name" "$(c++filt "$name")"
  else
    printf '    %s;\n' "$name"
  fi
done >&$((check ? 2 : 1))
exit $check
