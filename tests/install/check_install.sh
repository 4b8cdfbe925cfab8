#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop
# needs of it. The validators run where they are installed (scripts/deps.sh
# brings them).
#   check_install.sh BUILD_DIR
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "PASS: $*"; }
have() { command -v "$1" >/dev/null 2>&1; }

for exe in orlix-config orlix-cli orlix-panel-sim; do
    if [ -x "$prefix/bin/$exe" ]; then pass "bin/$exe"; else fail "bin/$exe missing"; fi
done
# The command-line programs run on machines without a display: they must not
# load Qt Gui, Qt Widgets, X or OpenGL (the orlix-tools package depends on
# what they link).
for exe in orlix-cli orlix-panel-sim; do
    needed=$(objdump -p "$prefix/bin/$exe" 2>/dev/null | awk '$1 == "NEEDED" { print $2 }' || true)
    bad=$(grep -E '^lib(Qt6(Gui|Widgets|OpenGL|DBus)|X11|xcb|GL|EGL|wayland)' <<<"$needed" || true)
    if [ -z "$needed" ]; then
        fail "$exe: no NEEDED entries read"
    elif [ -n "$bad" ]; then
        fail "$exe links $(echo $bad)"
    else
        pass "$exe links no display library"
    fi
done
"$prefix/bin/orlix-config" --version | grep -q "orlix-config 1.70" && pass "orlix-config --version" \
    || fail "orlix-config --version"

desktop=$prefix/share/applications/org.orlix.ConfigTool.desktop
if [ -f "$desktop" ]; then
    pass "desktop entry"
    grep -qx 'Exec=orlix-config %f' "$desktop" || fail "desktop entry: Exec"
    grep -qx 'Name=Orlix Configuration tool' "$desktop" || fail "desktop entry: Name"
    grep -q '^MimeType=application/x-orlix-config;' "$desktop" || fail "desktop entry: MimeType"
    grep -q '^Name\[ru\]=' "$desktop" || fail "desktop entry: Name[ru]"
    grep -q '^Comment\[ru\]=' "$desktop" || fail "desktop entry: Comment[ru]"
    if have desktop-file-validate; then
        desktop-file-validate "$desktop" && pass "desktop-file-validate" || fail "desktop-file-validate"
    else
        echo "SKIP: desktop-file-validate not installed"
    fi
else
    fail "desktop entry missing"
fi

# PNG icons of the sizes a desktop asks for, each exactly that size.
for size in 16 22 24 32 48 64 128 256; do
    png=$prefix/share/icons/hicolor/${size}x${size}/apps/org.orlix.ConfigTool.png
    if [ ! -f "$png" ]; then fail "icon ${size}px missing"; continue; fi
    # Width and height are the big-endian words at offsets 16 and 20 (IHDR).
    dims=$(od -An -tu1 -j16 -N8 "$png" | tr -s ' ' | sed 's/^ //')
    read -r w1 w2 w3 w4 h1 h2 h3 h4 <<<"$dims"
    w=$(( (w1 << 24) | (w2 << 16) | (w3 << 8) | w4 ))
    h=$(( (h1 << 24) | (h2 << 16) | (h3 << 8) | h4 ))
    if [ "$w" = "$size" ] && [ "$h" = "$size" ]; then pass "icon ${size}px"; else fail "icon ${size}px is ${w}x${h}"; fi
done
svg=$prefix/share/icons/hicolor/scalable/apps/org.orlix.ConfigTool.svg
[ -s "$svg" ] && grep -q "<svg" "$svg" && pass "scalable icon" || fail "scalable icon"

metainfo=$prefix/share/metainfo/org.orlix.ConfigTool.metainfo.xml
if [ -f "$metainfo" ]; then
    grep -q '<launchable type="desktop-id">org.orlix.ConfigTool.desktop</launchable>' "$metainfo" \
        || fail "metainfo: launchable"
    # A software centre finds the package by each program it installs and by the file type.
    for provided in '<binary>orlix-config</binary>' '<binary>orlix-cli</binary>' \
        '<binary>orlix-panel-sim</binary>' '<mediatype>application/x-orlix-config</mediatype>'; do
        grep -qF "$provided" "$metainfo" && pass "metainfo provides $provided" \
            || fail "metainfo does not provide $provided"
    done
    if have appstreamcli; then
        appstreamcli validate --strict --no-net "$metainfo" >/dev/null && pass "appstreamcli validate --strict" \
            || fail "appstreamcli validate --strict: $(appstreamcli validate --strict --no-net "$metainfo" 2>&1)"
    else
        echo "SKIP: appstreamcli not installed"
    fi
else
    fail "metainfo missing"
fi

mime=$prefix/share/mime/packages/org.orlix.ConfigTool.xml
if [ -f "$mime" ]; then
    grep -q 'type="application/x-orlix-config"' "$mime" || fail "MIME type name"
    if have xmllint; then
        xmllint --noout "$mime" && pass "MIME definition is well-formed" || fail "xmllint"
    fi
    if have update-mime-database; then
        XDG_DATA_DIRS="$prefix/share:/usr/share" update-mime-database "$prefix/share/mime" 2>&1 \
            | grep . && fail "update-mime-database warned" || pass "update-mime-database"
        grep -q "application/x-orlix-config" "$prefix/share/mime/types" || fail "MIME type not compiled"
    fi
else
    fail "MIME definition missing"
fi

for page in orlix-config orlix-cli orlix-panel-sim; do
    gzip -t "$prefix/share/man/man1/$page.1.gz" 2>/dev/null && pass "man page $page" \
        || fail "man page $page missing"
done

for doc in copyright changelog.gz; do
    [ -f "$prefix/share/doc/orlix-config/$doc" ] && pass "doc/$doc" || fail "doc/$doc missing"
done

for schema in orlix-configuration orlix-site; do
    f=$prefix/share/orlix/schemas/$schema.schema.json
    python3 -m json.tool "$f" >/dev/null 2>&1 && pass "schema $schema" \
        || fail "schema $schema missing or not JSON"
done

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all install checks passed"
