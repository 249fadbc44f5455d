#!/usr/bin/env bash
# make run: fwupdater.exe under Wine with the virtual printer attached, on the
# person's display; without one, the session is played headless and every
# dialog is photographed in both languages. Where the kernel runs no 32-bit
# programs, the 64-bit build takes the 32-bit one's place.
set -euo pipefail
build=$(cd "$1" && pwd)
. "$(dirname "$0")/wine-session.sh"
play_kernel_without_32bit "$0" "$@"
on_display=${DISPLAY:-}
arch=x86
tree=$build
refusal=$(wine_cannot_run_32bit)
if [ -n "$refusal" ]; then
    echo "make run: $refusal; starting the 64-bit fwupdater.exe under Wine's 64-bit loader"
    arch=x64
    tree=$build/x64
fi
wine_session "$build" win64
wine=$(wine_command $arch)
if [ -z "$on_display" ]; then
    for session in "transfer en-" "absent-then-retry en-" "japanese ja-"; do
        $wine "$tree/fwtest.exe" scenario $session
    done
    echo "no display: the sessions were played headless; every dialog photographed:"
    ls "$tree"/shots/{en,ja}-*.png
else
    $wine "$tree/fwtest.exe" scenario attach
    echo "fwupdater.exe is on your display with the virtual printer attached"
    $wine "$tree/fwupdater.exe" || true
    capture=$WINEPREFIX/drive_c/devices/printer.bin
    echo "the printer received $(stat -c %s "$capture") bytes: $capture"
fi
