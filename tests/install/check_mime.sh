#!/usr/bin/env bash
# How a desktop (GIO, as file managers use it) types files once the tool's
# MIME definition is installed: by content, and never by the .cfg name alone,
# so a text file named .cfg stays text while a configuration file is ours
# whatever its name.
#   check_mime.sh SOURCE_DIR
set -euo pipefail
src=$1
ours=application/x-orlix-config
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/share/mime/packages" "$work/home" "$work/files"
cp "$src/resources/org.orlix.ConfigTool.mime.xml" "$work/share/mime/packages/org.orlix.ConfigTool.xml"
update-mime-database "$work/share/mime" >/dev/null 2>&1
export XDG_DATA_HOME=$work/home XDG_DATA_DIRS=$work/share:/usr/share

corpus=$src/fuzz/corpus/config_file
printf '[network]\nport=/dev/ttyUSB0\nbaud=9600\n' >"$work/text"
# Text that begins with the digits of a version is text all the same.
printf '170 panels\n' >"$work/digits"

# name in the folder | content from | expected type
rows=(
    "panel.cfg|$corpus/v170.cfg|$ours"
    "old.cfg|$corpus/v160.cfg|$ours"
    "panel-without-suffix|$corpus/v170.cfg|$ours"
    "panel.dat|$corpus/v170.cfg|$ours"
    "settings.cfg|$work/text|text/plain"
    "count.cfg|$work/digits|text/plain"
    "v150.cfg|$corpus/v150.cfg|application/octet-stream"
)
failures=0
for row in "${rows[@]}"; do
    IFS='|' read -r name from expected <<<"$row"
    cp "$from" "$work/files/$name"
    type=$(gio info -a standard::content-type "$work/files/$name" \
        | sed -n 's/^ *standard::content-type: //p')
    if [ "$type" = "$expected" ]; then
        echo "PASS: $name is $type"
    else
        echo "FAIL: $name is '$type', expected $expected"
        failures=$((failures + 1))
    fi
done
[ "$failures" -eq 0 ] || { echo "$failures file(s) typed wrongly"; exit 1; }
echo "all files typed by their content"
