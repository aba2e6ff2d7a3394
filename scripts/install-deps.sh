#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing need,
# when they are missing. Extra package names may be passed as arguments.
set -euo pipefail

packages=(
    cmake make g++ pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-serialport-dev libgl-dev
    libgtest-dev
    fontconfig fonts-dejavu-core fonts-dejavu-extra fonts-liberation2
    clang-format
    # fuzzing (clang, libFuzzer), symbolised sanitizer reports, static checks
    clang libclang-rt-14-dev llvm-14 clang-tidy cppcheck
    dpkg-dev file desktop-file-utils appstream lintian
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
