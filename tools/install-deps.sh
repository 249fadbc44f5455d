#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12, and nothing that is
# already there. Safe to run again and again.
set -euo pipefail

packages=(cmake make g++ clang libclang-rt-14-dev libgtest-dev libbenchmark-dev
          g++-mingw-w64-i686 binutils-mingw-w64-i686 python3 python3-pefile)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "missing packages: ${missing[*]} (run as root to install them)" >&2
        exit 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
