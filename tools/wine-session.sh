# The Wine session of `make run` and `make test`, sourced by their scripts: a
# prefix in BUILD/wine-ARCH, prepared once, an X server, and a wineserver that
# stays up (so the still-image stand-in driver stays loaded) until the calling
# shell exits or the session moves to the other prefix.
#   wine_session BUILD ARCH [private]   ARCH: win64, where the 32-bit program
#                                       runs under WoW64 as on the users'
#                                       Windows, or win32
#                                       private: a headless X server even when
#                                       there is a display (tests never use it)

# Prints why Wine cannot start a 32-bit program here, or nothing. Every
# 32-bit Windows program starts through Wine's 32-bit loader, a Linux i386
# program: a kernel built or booted without 32-bit support (ia32_emulation=off)
# refuses it, and nothing run here brings it back.
wine_cannot_run_32bit() {
    if ! /usr/lib/wine/wine --version > /dev/null 2>&1; then
        echo "this kernel runs no 32-bit programs (32-bit emulation is off;" \
            "ia32_emulation=on on its command line turns it on)"
    fi
}

# FWUPDATER_NO_32BIT=1: runs the calling script again as on a kernel without
# 32-bit support, on any machine. In a private mount namespace, Wine's only
# i386 programs (its 32-bit loader and 32-bit wineserver) are covered by one
# that fails as that kernel fails them. Needs root.
#   play_kernel_without_32bit "$0" "$@"   early in the script
play_kernel_without_32bit() {
    if [ "${FWUPDATER_NO_32BIT:-}" != 1 ] || [ -n "${FWUPDATER_NO_32BIT_PLAYED:-}" ]; then
        return 0
    fi
    if [ "$(id -u)" -ne 0 ]; then
        echo "FWUPDATER_NO_32BIT=1 needs root: it covers Wine's 32-bit programs in a mount namespace" >&2
        exit 1
    fi
    local refusal
    refusal=$(mktemp)
    printf '#!/bin/sh\necho "cannot execute binary file: Exec format error" >&2\nexit 126\n' > "$refusal"
    chmod +x "$refusal"
    export FWUPDATER_NO_32BIT_PLAYED=1
    exec unshare -m bash -c 'mount --bind "$0" /usr/lib/wine/wine &&
        mount --bind "$0" /usr/lib/wine/wineserver32 && exec bash "$@"' "$refusal" "$@"
}

# The command that starts a Windows program of one build in the current
# prefix: x86 through Debian's wine (its 32-bit loader); x64, and Wine's own
# programs in a 64-bit prefix, straight through Wine's 64-bit loader, so that
# the program is that very process and nothing 32-bit is started for it.
#   $(wine_command x86|x64) PROGRAM [ARGUMENTS...]
wine_command() {
    if [ "$1" = x64 ]; then
        echo "env WINELOADER=/usr/lib/wine/wine64 /usr/lib/wine/wine64"
    else
        echo wine
    fi
}

# Wine's own programs (wineboot, regedit) in the current prefix.
prefix_wine() {
    local arch=x86
    if [ "$WINEARCH" = win64 ]; then
        arch=x64
    fi
    $(wine_command $arch) "$@"
}

wine_session() {
    local build=$1 stamp driver=$1/usbscan.sys
    if [ "$2" = win64 ]; then
        driver=$build/x64/usbscan.sys
    fi
    # Moving to the other prefix: the wineserver of the first one goes.
    if [ -n "${session_prefix:-}" ]; then
        wineserver -k 2> /dev/null || true
    fi
    export WINEPREFIX=$build/wine-$2 WINEARCH=$2 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    session_prefix=$WINEPREFIX
    # A prefix prepared where 32-bit programs cannot run lacks their half.
    stamp="$(prefix_wine --version) $(wine_cannot_run_32bit) $(cat "$driver" "${BASH_SOURCE[0]}" | sha256sum)"
    if [ "$(cat "$WINEPREFIX/.prepared" 2> /dev/null)" != "$stamp" ]; then
        echo "preparing a Wine prefix in $WINEPREFIX (once)"
        rm -rf "$WINEPREFIX"
        prefix_wine wineboot -i > "$WINEPREFIX-prepare.log" 2>&1
        # Wine's own fonts (Tahoma for the dialogs), where this Wine looks.
        cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
        cp "$driver" "$WINEPREFIX/drive_c/windows/system32/drivers/usbscan.sys"
        # A virtual desktop gives caption bars without a window manager; a
        # crash ends the program instead of opening a debugger; the glyphs
        # Tahoma lacks, which a Japanese Windows takes from MS UI Gothic, come
        # from Noto Sans CJK here; the stand-in for the still-image driver
        # starts with the wineserver.
        cat > "$WINEPREFIX/drive_c/prefix.reg" << 'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1024x768"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"MS UI Gothic"="Noto Sans CJK JP"

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\usbscan]
"Type"=dword:00000001
"Start"=dword:00000002
"ErrorControl"=dword:00000001
"ImagePath"="\\SystemRoot\\System32\\drivers\\usbscan.sys"
REG
        prefix_wine regedit /S 'C:\prefix.reg'
        wineserver -w
        echo "$stamp" > "$WINEPREFIX/.prepared"
    fi
    trap 'wineserver -k 2> /dev/null; [ -z "${xvfb:-}" ] || kill "$xvfb" 2> /dev/null' EXIT
    if [ -z "${xvfb:-}" ] && { [ "${3:-}" = private ] || [ -z "${DISPLAY:-}" ]; }; then
        rm -f "$build/xvfb.display"
        Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3> "$build/xvfb.display" \
            > /dev/null 2>&1 &
        xvfb=$!
        for _ in $(seq 100); do [ -s "$build/xvfb.display" ] && break || sleep 0.1; done
        export DISPLAY=:$(cat "$build/xvfb.display")
    fi
    wineserver -p
}
