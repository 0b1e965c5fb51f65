#!/usr/bin/env bash
# Installs the Debian packages Vantrel builds and tests with, when missing.
set -euo pipefail

# fonts-liberation: Liberation Sans stands in for the Arial the plot and
# the welcome screen ask for (same metrics); without a font no label draws.
# desktop-file-utils, appstream, shared-mime-info: the validators and the
# MIME database tools the check of the installed tree runs.
# libcurl4-openssl-dev: libcurl's headers; the programs load libcurl4 when
# a file is opened by its http(s):// or s3:// address. python3: the small
# range server the remote-file tests and benchmark read from; openssl: the
# certificate it serves https with, which the viewer must refuse.
packages=(cmake make g++ pkg-config qt6-base-dev libgl-dev libgtest-dev fonts-liberation
    desktop-file-utils appstream shared-mime-info libcurl4-openssl-dev python3 openssl "$@")

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
    sudo=()
elif command -v sudo >/dev/null 2>&1; then
    sudo=(sudo)
else
    echo "These packages are missing and neither root nor sudo is available: ${missing[*]}" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
