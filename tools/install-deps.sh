#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12, and nothing that is
# already there. Safe to run again and again.
set -euo pipefail

packages=(cmake make g++ clang libclang-rt-14-dev libgtest-dev libbenchmark-dev
          g++-mingw-w64-i686 binutils-mingw-w64-i686 python3 python3-pefile)

# End-to-end layer: 32-bit Wine, a headless X server, keystrokes, screenshots,
# Japanese glyphs and a Japanese locale.
packages+=(wine wine32:i386 fonts-wine xvfb xdotool imagemagick fonts-noto-cjk locales procps)

is_installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

need_root() {
    if [ "$(id -u)" -ne 0 ]; then
        echo "$1 (run as root to install it)" >&2
        exit 1
    fi
}

# wine32 is an i386 package: the architecture must be known before apt can see it.
refresh=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    need_root "the i386 architecture is not enabled"
    dpkg --add-architecture i386
    refresh=1
fi

missing=()
for package in "${packages[@]}"; do
    if ! is_installed "$package"; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -gt 0 ] || [ "$refresh" -eq 1 ]; then
    need_root "missing packages: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    if [ ${#missing[@]} -gt 0 ]; then
        apt-get install -y -qq --no-install-recommends "${missing[@]}"
    fi
fi

# The Japanese scenario runs the program under ja_JP.UTF-8.
if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
    need_root "the ja_JP.UTF-8 locale is missing"
    if ! grep -qx 'ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
        echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
    fi
    locale-gen --keep-existing >/dev/null
fi
