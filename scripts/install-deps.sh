#!/usr/bin/env bash
# Installs the Debian 12 packages that building and running need, when they
# are missing, and those named as arguments (scripts/test.sh names the ones
# only its checks need).
set -euo pipefail

packages=(
    cmake make g++ pkg-config
    # dpkg-buildflags: the distribution's hardening flags of optimised builds
    dpkg-dev
    qt6-base-dev qt6-base-dev-tools qt6-serialport-dev libgl-dev
    # the suite is built with the programs (VELD_BUILD_TESTS is on by default)
    libgtest-dev
    fontconfig fonts-dejavu-core fonts-dejavu-extra fonts-liberation2
    "$@"
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi
    "${sudo_cmd[@]}" apt-get update -q
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
