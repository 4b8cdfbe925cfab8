#!/usr/bin/env bash
# Installs each package into a fresh Debian 12 root, as a new user installs
# it with apt, and checks what it brought:
#   - orlix-tools alone brings no Qt Widgets, Qt Gui, X, Wayland or OpenGL
#     library, and orlix-cli --version runs there;
#   - orlix-config, even without recommends, brings the Qt translations, and
#     orlix-config --version runs.
# The root comes from debootstrap (minbase) over the mirror apt is set up
# with, kept as a tar file beside the packages so that a second run needs
# no download. Where no root can be made (no debootstrap, not root, no
# mirror), apt computes the same install against an empty package state
# (a dry run) and the list is checked the same way; nothing runs then.
# Given the sources too, it first builds the packages in a fresh root that
# holds only build-essential and the Build-Depends (apt-get build-dep), in
# another folder than the first build, and compares the .debs byte for byte.
#   fresh_root.sh DIR [SOURCES.tar]
#       DIR holds orlix-tools_*.deb and orlix-config_*.deb
set -euo pipefail
dir=$(cd "$1" && pwd)
suite=bookworm
base=$dir/debian-root.tar
# The libraries a headless install must not bring.
display_libs='^(libqt6gui6|libqt6widgets6|libqt6opengl6|qt6-qpa-plugins|libx11-|libxcb|libxkbcommon|libwayland-|libgl1|libegl1|libglx|libopengl0|libdrm2|libfontconfig1|libfreetype6)'

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "PASS: $*"; }
deb_of() { ls "$dir"/"$1"_*.deb | head -n1; }

make_base() {
    [ -s "$base" ] && return 0
    [ "$(id -u)" -eq 0 ] && command -v debootstrap >/dev/null || return 1
    local mirror
    mirror=$(apt-get indextargets --format '$(REPO_URI) $(RELEASE)' \
        | awk -v s="$suite" '$2 == s { print $1; exit }')
    [ -n "$mirror" ] || return 1
    local tmp
    tmp=$(mktemp -d)
    echo "debootstrap $suite from $mirror ..."
    if debootstrap --variant=minbase "$suite" "$tmp" "$mirror" >"$dir/debootstrap.log" 2>&1; then
        tar -C "$tmp" -cf "$base" .
        rm -rf "$tmp"
    else
        rm -rf "$tmp"
        return 1
    fi
}

# A fresh root from the base, able to reach the mirror; prints its folder.
new_root() {
    local root
    root=$(mktemp -d)
    tar -C "$root" -xf "$base"
    cp /etc/resolv.conf "$root/etc/resolv.conf"
    echo "$root"
}

# Installs the packages named ($@: .deb paths, apt options) into a fresh
# root, writes the packages the install added to $installed and prints the
# root's folder.
root_install() {
    local root
    root=$(new_root)
    local args=()
    for deb in "$@"; do
        case $deb in
        -*) args+=("$deb") ;;
        *)
            cp "$deb" "$root/tmp/"
            args+=("/tmp/$(basename "$deb")")
            ;;
        esac
    done
    chroot "$root" dpkg-query -W -f '${Package}\n' | sort >"$root/tmp/before"
    chroot "$root" apt-get update -qq >&2
    chroot "$root" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${args[@]}" \
        >"$root/tmp/apt.log" 2>&1 || { tail -n 20 "$root/tmp/apt.log"; rm -rf "$root"; return 1; }
    chroot "$root" dpkg-query -W -f '${Package}\n' | sort | comm -13 "$root/tmp/before" - >"$installed"
    echo "$root"
}

# The same install computed by apt against an empty package state.
dry_run() {
    local state
    state=$(mktemp)
    apt-get install -s -o Dir::State::status="$state" "$@" 2>/dev/null \
        | awk '$1 == "Inst" { print $2 }' | sort >"$installed"
    rm -f "$state"
    [ -s "$installed" ]
}

installed=$(mktemp)
trap 'rm -f "$installed"' EXIT
tools=$(deb_of orlix-tools)
config=$(deb_of orlix-config)

# Builds the packages from $1 (a tar of the sources) in a fresh root.
clean_build() {
    local root
    root=$(new_root)
    mkdir -p "$root/build/orlix-config"
    tar -C "$root/build/orlix-config" -xf "$1"
    echo "building in a fresh root with only the Build-Depends ..."
    # Nothing of this build's settings (ccache, ORLIX_CMAKE_ARGS) goes in.
    if chroot "$root" env -u ORLIX_CMAKE_ARGS sh -c 'export DEBIAN_FRONTEND=noninteractive
        apt-get update -qq && apt-get install -y -qq --no-install-recommends build-essential dpkg-dev &&
        cd /build/orlix-config && apt-get build-dep -y -qq --no-install-recommends . &&
        dpkg-buildpackage -us -uc -b -j"$(nproc)"' >"$dir/clean-build.log" 2>&1; then
        pass "dpkg-buildpackage in a fresh root with only the Build-Depends"
        for deb in "$dir"/orlix-*.deb; do
            cmp -s "$deb" "$root/build/$(basename "$deb")" \
                && pass "the same bytes: $(basename "$deb")" \
                || fail "$(basename "$deb") differs from the fresh root's build (a newer toolchain there? compare the .buildinfo files)"
        done
    else
        tail -n 20 "$dir/clean-build.log"
        fail "dpkg-buildpackage in a fresh root (log: $dir/clean-build.log)"
    fi
    rm -rf "$root"
}

if make_base; then
    echo "fresh root: debootstrap --variant=minbase $suite"
    [ -n "${2:-}" ] && clean_build "$2"
    root=$(root_install "$tools") || { fail "orlix-tools does not install"; root=; }
    if [ -n "$root" ]; then
        echo "orlix-tools brought $(wc -l <"$installed") packages: $(tr '\n' ' ' <"$installed")"
        bad=$(grep -E "$display_libs" "$installed" || true)
        [ -z "$bad" ] && pass "orlix-tools brings no display library" \
            || fail "orlix-tools brings $(echo $bad)"
        version=$(chroot "$root" orlix-cli --version 2>&1 || true)
        [ "$version" = "orlix-cli 1.70" ] && pass "orlix-cli --version: $version" \
            || fail "orlix-cli --version: $version"
        chroot "$root" orlix-cli ports >/dev/null 2>&1 && pass "orlix-cli ports" || fail "orlix-cli ports"
        chroot "$root" orlix-panel-sim --help >/dev/null 2>&1 && pass "orlix-panel-sim --help" \
            || fail "orlix-panel-sim --help"
        for page in orlix-cli orlix-panel-sim; do
            [ -f "$root/usr/share/man/man1/$page.1.gz" ] && pass "man page $page" \
                || fail "man page $page missing"
        done
        rm -rf "$root"
    fi
    # Without recommends: the translations must come from orlix-config's own dependencies.
    root=$(root_install --no-install-recommends "$config") || { fail "orlix-config does not install"; root=; }
    if [ -n "$root" ]; then
        echo "orlix-config brought $(wc -l <"$installed") packages"
        grep -qx qt6-translations-l10n "$installed" && pass "orlix-config brings the Qt translations" \
            || fail "orlix-config without qt6-translations-l10n"
        [ -f "$root/usr/share/qt6/translations/qtbase_ru.qm" ] && pass "qtbase_ru.qm installed" \
            || fail "qtbase_ru.qm missing"
        # The desktop tool does bring them: the pattern above sees real package names.
        grep -qE "$display_libs" "$installed" && pass "orlix-config brings Qt Gui and X, as it must" \
            || fail "the display-library pattern matches nothing in orlix-config's install"
        version=$(chroot "$root" orlix-config --version 2>&1 || true)
        [ "$version" = "orlix-config 1.70" ] && pass "orlix-config --version: $version" \
            || fail "orlix-config --version: $version"
        rm -rf "$root"
    fi
else
    echo "no fresh root here (debootstrap needs root and the mirror): apt's dry run on an empty state"
    if dry_run "$tools"; then
        bad=$(grep -E "$display_libs" "$installed" || true)
        [ -z "$bad" ] && pass "orlix-tools would bring no display library" \
            || fail "orlix-tools would bring $(echo $bad)"
    else
        fail "apt cannot resolve orlix-tools"
    fi
    if dry_run "$config"; then
        grep -qx qt6-translations-l10n "$installed" && pass "orlix-config would bring the Qt translations" \
            || fail "orlix-config would not bring qt6-translations-l10n"
    else
        fail "apt cannot resolve orlix-config"
    fi
fi
[ "$failures" -eq 0 ] || { echo "$failures fresh-root check(s) failed"; exit 1; }
echo "fresh-root checks passed"
