#!/usr/bin/env bash
# The Debian packages as a user gets them: builds liborbmath0 and liborbmath-dev with CPack
# (Release, prefix /usr, in build/deb), checks their control data and contents, installs them
# with apt-get, builds and runs the consumer programs of tests/consumer against the installed
# copy (CMake's find_package and pkg-config, no paths given), and removes the packages again,
# also when a step fails. Needs root, dpkg-dev (dpkg-shlibdeps) and apt-get; runs lintian when
# it is installed.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=$src/build/deb
packages=(liborbmath0 liborbmath-dev)
[ "$(id -u)" = 0 ] || { echo "installing the packages needs root"; exit 1; }
for p in "${packages[@]}"; do
  if dpkg -s "$p" >/dev/null 2>&1; then echo "$p is installed already: remove it first"; exit 1; fi
done
command -v dpkg-shlibdeps >/dev/null ||
  { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq dpkg-dev; }

version=$(sed -n 's/^project(orbmath VERSION \([0-9.]*\).*/\1/p' "$src/CMakeLists.txt")
major=${version%%.*}
cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
      -DORBMATH_BUILD_EXAMPLES=OFF >/dev/null
cmake --build "$build" -j2 >/dev/null
rm -rf "$build/packages"
(cd "$build" && cpack -G DEB -B "$build/packages" >/dev/null)
arch=$(dpkg --print-architecture)
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
runtime=$build/packages/liborbmath${major}_${version}_$arch.deb
dev=$build/packages/liborbmath-dev_${version}_$arch.deb
for deb in "$runtime" "$dev"; do
  echo "-- $(basename "$deb")"; dpkg-deb -f "$deb"
  dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print "   " $6, $7, $8}'
done

fail() { echo "package check: $*"; exit 1; }
has() { dpkg-deb -c "$1" | awk '{print $6}' | grep -qx "./$2"; }
lib=usr/lib/$multiarch
has "$runtime" "$lib/liborbmath.so.$version" && has "$runtime" "$lib/liborbmath.so.$major" ||
  fail "liborbmath$major lacks the shared object or its SONAME link"
has "$runtime" "usr/share/doc/liborbmath$major/copyright" || fail "liborbmath$major lacks its copyright file"
! dpkg-deb -c "$runtime" | grep -q -E "usr/include/|$lib/liborbmath\.so( |$)" ||
  fail "liborbmath$major carries development files"
[ "$(dpkg-deb --ctrl-tarfile "$runtime" | tar -xO ./shlibs)" = "liborbmath $major liborbmath$major (>= $version)" ] ||
  fail "liborbmath$major's shlibs is not 'liborbmath $major liborbmath$major (>= $version)'"
dpkg-deb -f "$runtime" Depends | grep -q 'libstdc++6' || fail "liborbmath$major does not depend on libstdc++6"
for f in "$lib/liborbmath.so" "$lib/pkgconfig/orbmath.pc" "$lib/cmake/orbmath/orbmathConfig.cmake" \
         usr/include/orbmath/orbmath.h usr/share/doc/liborbmath-dev/copyright; do
  has "$dev" "$f" || fail "liborbmath-dev lacks $f"
done
[ "$(dpkg-deb -f "$dev" Depends)" = "liborbmath$major (= $version)" ] ||
  fail "liborbmath-dev does not depend on exactly liborbmath$major (= $version)"
dpkg-deb -f "$runtime" Description | grep -q Apache-2.0 || fail "the licence is not named in the description"
dpkg-deb --fsys-tarfile "$runtime" | tar -xO "./usr/share/doc/liborbmath$major/copyright" |
  grep -qx 'License: Apache-2.0' || fail "the copyright file does not name the licence"
if command -v lintian >/dev/null; then
  echo "-- lintian"; lintian --tag-display-limit 0 "$runtime" "$dev" || true
fi

remove() {
  DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq "${packages[@]}" >/dev/null 2>&1 || true
}
trap remove EXIT
DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$runtime" "$dev" \
  >"$build/apt-install.log" 2>&1 || { cat "$build/apt-install.log"; fail "apt-get install failed"; }
echo "-- installed: $(dpkg-query -W -f '${Package} ${Version}  ' "${packages[@]}")"
bash "$src/tests/consumer/run.sh" --system "$src/tests/consumer"
remove
trap - EXIT
for p in "${packages[@]}"; do
  ! dpkg -s "$p" >/dev/null 2>&1 || fail "$p is still installed after apt-get purge"
done
[ ! -e "/$lib/liborbmath.so.$major" ] || fail "/$lib/liborbmath.so.$major is left after apt-get purge"
echo "packages built, installed, used and removed: liborbmath$major and liborbmath-dev $version"
