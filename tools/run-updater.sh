#!/usr/bin/env bash
# make run: fwupdater.exe under Wine with the virtual printer attached, on the
# person's display; without one, the session is played headless and every
# dialog is photographed in both languages.
set -euo pipefail
build=$(cd "$1" && pwd)
. "$(dirname "$0")/wine-session.sh"
on_display=${DISPLAY:-}
refusal=$(wine_cannot_run_32bit)
if [ -n "$refusal" ]; then
    echo "make run: Wine cannot start fwupdater.exe here: $refusal" >&2
    exit 1
fi
wine_session "$build" win64
if [ -z "$on_display" ]; then
    for session in "transfer en-" "absent-then-retry en-" "japanese ja-"; do
        wine "$build/fwtest.exe" scenario $session
    done
    echo "no display: the sessions were played headless; every dialog photographed:"
    ls "$build"/shots/{en,ja}-*.png
else
    wine "$build/fwtest.exe" scenario attach
    echo "fwupdater.exe is on your display with the virtual printer attached"
    wine "$build/fwupdater.exe" || true
    capture=$WINEPREFIX/drive_c/devices/printer.bin
    echo "the printer received $(stat -c %s "$capture") bytes: $capture"
fi
