#!/usr/bin/env bash
# Builds the Debian packages orlix-config and orlix-tools the Debian way
# (dpkg-buildpackage over debian/), twice, and checks them:
#   - the two builds, with one SOURCE_DATE_EPOCH, give byte-identical .debs;
#   - lintian reports no error, no warning and no hardening tag, and each
#     program calls fortified functions;
#   - a build in a fresh Debian root with only the Build-Depends gives the
#     same bytes, and each package installs into a fresh Debian root
#     (tests/install/fresh_root.sh).
#   scripts/package.sh                 all of it; the packages end up in build-package/
#   scripts/package.sh --no-root       without the fresh-root build and install
#   sudo apt install ./build-package/orlix-tools_*.deb ./build-package/orlix-config_*.deb
# $ORLIX_CMAKE_ARGS goes to the CMake configuration of the package build
# (e.g. -DCMAKE_CXX_COMPILER_LAUNCHER=ccache: the same objects, sooner).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${PACKAGE_BUILD_DIR:-$root/build-package}
fresh_root=1
[ "${1:-}" = "--no-root" ] && fresh_root=0

"$root/scripts/deps.sh"
"$root/scripts/deps.sh" dpkg-dev debhelper lintian
[ "$fresh_root" = 1 ] && "$root/scripts/deps.sh" debootstrap
(cd "$root" && dpkg-checkbuilddeps)

# One time for every file of both builds: the date of the latest changelog entry.
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(dpkg-parsechangelog -l "$root/debian/changelog" -STimestamp)}
export SOURCE_DATE_EPOCH
export ORLIX_CMAKE_ARGS=${ORLIX_CMAKE_ARGS:-}

version=$(dpkg-parsechangelog -l "$root/debian/changelog" -SVersion)
src=$out/orlix-config-$version

# One snapshot of the sources (tracked and new files, not the ignored build
# trees) for both builds; each build unpacks it afresh, always in the same folder.
mkdir -p "$out"
(cd "$root" && git ls-files -z --cached --others --exclude-standard \
    | xargs -0 -I{} sh -c 'test -e "{}" && printf "%s\0" "{}"' \
    | tar --null -T - -cf -) >"$out/sources.tar"
copy_sources() {
    rm -rf "$src"
    mkdir -p "$src"
    tar -xf "$out/sources.tar" -C "$src"
}

# A binary build from a clean copy; its results go to $1.
build_once() {
    local results=$1
    rm -rf "$results"
    mkdir -p "$results"
    copy_sources
    rm -f "$out"/*.deb "$out"/*.changes "$out"/*.buildinfo
    (cd "$src" && dpkg-buildpackage -us -uc -b -j"$(nproc)") >"$results/build.log" 2>&1 \
        || { tail -n 40 "$results/build.log"; echo "dpkg-buildpackage failed"; return 1; }
    mv "$out"/*.deb "$out"/*.changes "$out"/*.buildinfo "$results"/
}

# The source package, for lintian's look at debian/.
copy_sources
rm -f "$out"/*.dsc "$out"/*.tar.xz
(cd "$out" && dpkg-source -b "$(basename "$src")" >/dev/null)

echo "first build ..."
build_once "$out/first"
echo "second build ..."
build_once "$out/second"

status=0
for deb in "$out"/first/*.deb; do
    name=$(basename "$deb")
    if cmp -s "$deb" "$out/second/$name"; then
        echo "reproducible: $name"
    else
        echo "FAIL: $name differs between the two builds"
        status=1
    fi
done
for deb in "$out"/first/*.deb; do
    dpkg-deb --field "$deb" Package Version Architecture Depends Recommends
    echo
done

lintian -i -I --tag-display-limit 0 "$out"/first/*.changes "$out"/*.dsc | tee "$out/lintian.txt"
if grep -E '^(E|W): |hardening' "$out/lintian.txt" >/dev/null; then
    echo "FAIL: lintian reports errors, warnings or hardening tags"
    status=1
else
    echo "lintian: no errors, no warnings, no hardening tags"
fi

# lintian counts only some of the fortifiable functions, and orlix-cli's tag
# is overridden (debian/orlix-tools.lintian-overrides says why): every
# program must still call fortified functions, as hardening-check asks.
rm -rf "$out/unpacked"
for deb in "$out"/first/*.deb; do dpkg-deb -x "$deb" "$out/unpacked"; done
for program in "$out"/unpacked/usr/bin/*; do
    symbols=$(readelf --dyn-syms -W "$program")
    if grep -qE ' UND +__[A-Za-z0-9_]+_chk@' <<<"$symbols"; then
        echo "fortified: ${program#"$out"/unpacked/}"
    else
        echo "FAIL: ${program#"$out"/unpacked/} calls no fortified function"
        status=1
    fi
done

cp "$out"/first/*.deb "$out"/
if [ "$fresh_root" = 1 ]; then
    bash "$root/tests/install/fresh_root.sh" "$out" "$out/sources.tar" || status=1
fi
[ "$status" = 0 ] && echo "package checks passed" || echo "package checks FAILED"
exit "$status"
