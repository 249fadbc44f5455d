#!/usr/bin/env bash
# Installs, on Debian 12, what the build, `make run` and the tests need, and
# nothing that is already there: quiet when all is present, a few lines when
# it installs (the details go to a log). Safe to run again and again.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive

# The first two lines build the 32-bit program and run it under Wine; the
# third builds the 64-bit one and runs it in a 64-bit prefix; the fourth
# builds the Linux program and tests it on umockdev, its package with lintian;
# the last signs the release (osslsigncode, with OpenSSL's PKCS#11 engine for
# keys on tokens) and tests it: a software token, python3 for a time-stamp
# authority on the loopback interface, faketime for an expired certificate,
# wrestool (icoutils) to list the executables' resources.
packages=(make cmake g++-mingw-w64-i686 binutils-mingw-w64-i686
          wine wine32:i386 fonts-wine xvfb xdotool imagemagick fonts-noto-cjk locales
          wine64 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
          g++ pkg-config libusb-1.0-0-dev umockdev gir1.2-umockdev-1.0 python3-gi lintian
          osslsigncode openssl libengine-pkcs11-openssl softhsm2 python3 faketime icoutils)
log=${TMPDIR:-/tmp}/fwupdater-install-deps.log

installed() {
    dpkg-query -W -f='${Status}' "$1" 2> /dev/null | grep -q 'install ok installed'
}

need_root() {
    if [ "$(id -u)" -ne 0 ]; then
        echo "$1: run as root to install it" >&2
        exit 1
    fi
}

quietly() {
    if ! "$@" >> "$log" 2>&1; then
        echo "failed: $* (the last lines of $log follow)" >&2
        tail -n 20 "$log" >&2
        exit 1
    fi
}

missing=()
for package in "${packages[@]}"; do
    installed "$package" || missing+=("$package")
done

if [ ${#missing[@]} -gt 0 ]; then
    need_root "missing: ${missing[*]}"
    echo "installing ${#missing[@]} Debian packages (first use only; a few minutes):"
    echo "  ${missing[*]}"
    : > "$log"
    # wine32 is an i386 package: apt sees it only once that architecture is on.
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        quietly dpkg --add-architecture i386
    fi
    quietly apt-get update
    quietly apt-get install -y --no-install-recommends \
        "${missing[@]}"
    echo "installed (details in $log)"
fi

# The Japanese scenarios run the program under ja_JP.UTF-8.
if ! locale -a 2> /dev/null | grep -qix 'ja_JP.utf8'; then
    need_root "the ja_JP.UTF-8 locale is missing"
    grep -qx 'ja_JP.UTF-8 UTF-8' /etc/locale.gen 2> /dev/null ||
        echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
    quietly locale-gen --keep-existing
fi
