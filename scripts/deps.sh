#!/usr/bin/env bash
# Installs the Debian packages the tool needs to build and run, when some are missing.
#   deps.sh            what building and running need
#   deps.sh --tests    also the checkers the tests use (desktop entry, metainfo,
#                      MIME, GIO's file typing) and Qt's private headers, with
#                      which the accessibility test plays a screen reader's bridge,
#                      and a JSON Schema validator
#   deps.sh PKG...     the packages named (e.g. for packaging)
set -euo pipefail
PKGS=(cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools qt6-serialport-dev
      qt6-translations-l10n libgl-dev)
if [ "${1:-}" = "--tests" ]; then
    PKGS+=(desktop-file-utils appstream libxml2-utils shared-mime-info
           libglib2.0-bin qt6-base-private-dev python3-jsonschema)
elif [ $# -gt 0 ]; then
    PKGS=("$@")
fi
missing=()
for p in "${PKGS[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends "${missing[@]}"
