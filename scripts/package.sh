#!/usr/bin/env bash
# Builds the Debian package orlix-config_<version>_<arch>.deb into
# build-package/ and checks it with lintian (no errors allowed).
#   scripts/package.sh            build and check
#   apt install ./build-package/orlix-config_*.deb
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${PACKAGE_BUILD_DIR:-$root/build-package}
"$root/scripts/deps.sh"
# dpkg-shlibdeps (dpkg-dev) computes the dependencies from the binaries.
"$root/scripts/deps.sh" dpkg-dev lintian file
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j "$(nproc)" --target orlix-config orlix-cli orlix-panel-sim orlix-icons orlix-changelog orlix-man
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls -t "$build"/orlix-config_*.deb | head -n1)
echo "built $deb"
dpkg-deb --field "$deb" Package Version Architecture Depends
# Errors fail the check; warnings are shown.
lintian --fail-on error --tag-display-limit 0 "$deb"
echo "lintian: no errors"
