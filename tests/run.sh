#!/usr/bin/env bash
# make test: every check and scenario (or those named). The Windows programs
# under Wine, headless: the 32-bit build (x86) in a 64-bit (WoW64) prefix, the
# users' Windows, and in a 32-bit prefix what only it shows; the 64-bit build
# (x64) in the 64-bit prefix. Where the kernel runs no 32-bit programs, every
# Windows check runs on the x64 build. The Linux program on umockdev's testbed.
# The expectations follow from the build's inputs, which make exports.
set -euo pipefail
build=$(cd "$1" && pwd)
tests=$(cd "$(dirname "$0")" && pwd)
only=" ${*:2} "
. "$tests/../tools/wine-session.sh"
play_kernel_without_32bit "$0" "$@"
for input in FIRMWARE_IMAGE EULA_EN EULA_JA; do
    export "$input=$(realpath "${!input}")"
done
mkdir -p "$build/test-logs"
failed=()
passed=0
skipped=0
cannot_run_32bit=$(wine_cannot_run_32bit)

selected() {
    [ "$only" = "  " ] || [[ $only == *" $1 "* ]]
}

# check NAME LABEL COMMAND...: one check, its log named after both.
check() {
    local log=$build/test-logs/$1-${2//, /-}.log
    if ! selected "$1"; then
        return 0
    fi
    if "${@:3}" > "$log" 2>&1; then
        echo "pass  $1 ($2)"
        passed=$((passed + 1))
    else
        echo "FAIL  $1 ($2)"
        sed 's/^/      /' "$log"
        failed+=("$1 ($2)")
    fi
}

skip() {
    if selected "$1"; then
        echo "skip  $1 ($2)"
        skipped=$((skipped + 1))
    fi
}

# Every resource of an executable, as wrestool lists it, against the table
# with the sizes of this build's inputs filled in. String block 2: sixteen
# 2-byte lengths and the UTF-16 of entries 16 to 19.
resources() {
    local block=$((2 * (16 + ${#TARGET_HARDWARE_ID} + ${#TARGET_ROUTE} + 34)))
    diff <(grep -v '^#' "$tests/resources.txt" |
        sed "s/EULA_EN/$(stat -c %s "$EULA_EN")/; s/EULA_JA/$(stat -c %s "$EULA_JA")/;
             s/FIRMWARE_IMAGE/$(stat -c %s "$FIRMWARE_IMAGE")/; s/STRING_BLOCK_2/$block/") \
        <(wrestool -l "$1" |
            sed -E "s/^--type='?([^' ]+)'? --name=([0-9]+) --language=([0-9]+) .*size=([0-9]+)]$/\1 \2 \3 \4/")
}

# The Windows versions of this prefix's rows, each given to a fresh copy of
# the test program made for it (a version setting names an executable).
platforms() {
    local windows mode code got
    cp "$2/fwtest.exe" "$2/platform.exe"
    while read -r _ windows mode code; do
        prefix_wine reg add 'HKCU\Software\Wine\AppDefaults\platform.exe' /v Version \
            /d "$windows" /f > /dev/null
        got=$(timeout 60 $(wine_command "$1") "$2/platform.exe" platform "$mode" | tr -d '\r')
        if [ "$got" != "$code" ]; then
            echo "$windows $mode gives $got, not $code"
            return 1
        fi
    done < <(grep "^$prefix " "$tests/platforms.txt")
}

fwtest() {
    timeout 120 $(wine_command "$1") "$2/fwtest.exe" "${@:3}"
}

# windows ARCH TREE CHECK...: checks of one build in the current prefix.
windows() {
    local name label="$1, $prefix"
    for name in "${@:3}"; do
        case $name in
        platforms) check platforms "$label" platforms "$1" "$2" ;;
        checks) check checks "$label" fwtest "$1" "$2" checks ;;
        *) check "$name" "$label" fwtest "$1" "$2" scenario "$name" ;;
        esac
    done
}

linux() {
    timeout 300 umockdev-wrapper /usr/bin/python3 -B "$tests/linux/cases.py" "$build/linux" "$1"
}

# The shipped Linux program waits out its own 30-second write timeout: beside
# the other checks from the start, its result reported with theirs.
beside=$build/test-logs/linux-timeout.beside
if selected linux-timeout; then
    (
        linux timeout
        echo "exit status $?"
    ) > "$beside" 2>&1 &
    beside_job=$!
fi

finished_beside() {
    wait "$beside_job"
    cat "$beside"
    [ "$(tail -n 1 "$beside")" = "exit status 0" ]
}

check resources x86 resources "$build/fwupdater.exe"
check resources x64 resources "$build/x64/fwupdater.exe"

scenarios=$(grep -E '^[a-z]' "$tests/scenarios.txt" | grep -v -x attach)
prefix=win64
wine_session "$build" win64 private
# Its Windows program is 64-bit. Before the scenarios: it leaves the signed
# releases for transfer-signed.
check signing win64 bash "$tests/signing.sh" "$build"
if [ -z "$cannot_run_32bit" ]; then
    windows x86 "$build" platforms checks $scenarios
    windows x64 "$build/x64" checks transfer unplug scanner-route
else
    echo "skip  the 32-bit programs under Wine: $cannot_run_32bit"
    windows x64 "$build/x64" platforms checks $scenarios
fi

prefix=win32
if [ -z "$cannot_run_32bit" ]; then
    wine_session "$build" win32 private
    windows x86 "$build" platforms scanner-route
else
    skip platforms "x86, win32"
    skip scanner-route "x86, win32"
fi

for group in shipped leaving-early retry terminal refused-access; do
    check "linux-$group" umockdev linux "$group"
done
check linux-timeout umockdev finished_beside
check linux-package lintian linux package

if [ ${#failed[@]} -gt 0 ]; then
    echo "failed: ${failed[*]} (logs: $build/test-logs, screenshots: $build/shots)"
fi
summary="$passed passed, ${#failed[@]} failed"
if [ "$skipped" -gt 0 ]; then
    summary+=", $skipped skipped"
fi
echo "$summary"
[ ${#failed[@]} -eq 0 ]
