# The Wine session of `make run` and `make test`, sourced by their scripts:
# one 32-bit prefix in BUILD/wine, prepared once, an X server, and a
# wineserver that stays up (so the still-image stand-in driver stays loaded)
# until the calling shell exits.
#   wine_session BUILD [private]   private: a headless X server even when
#                                  there is a display (tests never use it)

wine_session() {
    local build=$1 stamp
    export WINEPREFIX=$build/wine WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    stamp="$(wine --version) $(cat "$build/usbscan.sys" "${BASH_SOURCE[0]}" | sha256sum)"
    if [ "$(cat "$WINEPREFIX/.prepared" 2> /dev/null)" != "$stamp" ]; then
        echo "preparing a Wine prefix in $WINEPREFIX (once)"
        rm -rf "$WINEPREFIX"
        wineboot -i > "$build/wine-prepare.log" 2>&1
        # Wine's own fonts (Tahoma for the dialogs), where this Wine looks.
        cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
        cp "$build/usbscan.sys" "$WINEPREFIX/drive_c/windows/system32/drivers/"
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
        wine regedit /S 'C:\prefix.reg'
        wineserver -w
        echo "$stamp" > "$WINEPREFIX/.prepared"
    fi
    trap 'wineserver -k 2> /dev/null; [ -z "${xvfb:-}" ] || kill "$xvfb" 2> /dev/null' EXIT
    if [ "${2:-}" = private ] || [ -z "${DISPLAY:-}" ]; then
        rm -f "$build/xvfb.display"
        Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3> "$build/xvfb.display" \
            > /dev/null 2>&1 &
        xvfb=$!
        for _ in $(seq 100); do [ -s "$build/xvfb.display" ] && break || sleep 0.1; done
        export DISPLAY=:$(cat "$build/xvfb.display")
    fi
    wineserver -p
}
