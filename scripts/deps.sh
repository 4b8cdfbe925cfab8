#!/usr/bin/env bash
# Installs the Debian packages the tool needs to build and run, when some are missing.
set -euo pipefail
PKGS=(cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools qt6-serialport-dev
      qt6-translations-l10n libgl-dev)
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
