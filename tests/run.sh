#!/usr/bin/env bash
# make test: every check and scenario (or those named), under Wine, headless.
# All in a 64-bit (WoW64) prefix, the users' Windows; in a 32-bit one what only
# it shows: the 32-bit systems' platform codes, the still-image route with its driver.
# The Linux program on umockdev's testbed.
set -euo pipefail
build=$(cd "$1" && pwd)
tests=$(cd "$(dirname "$0")" && pwd)
only=" ${*:2} "
. "$tests/../tools/wine-session.sh"
mkdir -p "$build/test-logs"
failed=()
passed=0
skipped=0
skip_reason=""

# One check in the current prefix; the log says which.
check() {
    local name=$1 log=$build/test-logs/$1-$prefix.log
    shift
    [ "$only" = "  " ] || [[ $only == *" $name "* ]] || return 0
    if [ -n "$skip_reason" ]; then
        echo "skip  $name ($prefix)"
        skipped=$((skipped + 1))
        return
    fi
    "$@" > "$log" 2>&1 && echo "pass  $name ($prefix)" && passed=$((passed + 1)) && return
    echo "FAIL  $name ($prefix)" && sed 's/^/      /' "$log"
    failed+=("$name ($prefix)")
}

# Type, id, language and size of every resource, as objdump lists them.
resources() {
    i686-w64-mingw32-objdump -p "$build/fwupdater.exe" | sed -n '/Resource Directory section/,/^$/p' |
        grep -E 'Entry|Leaf' | sed -E 's/^[0-9a-f]+ //; s/,? ?Value: .*//; s/Addr: [^,]*, //;
            s/, Codepage.*//; s/name: \[[^]]*\]: //; s/ID: //' | diff - <(grep -v '^#' "$tests/resources.txt")
}

# The Windows versions of this prefix's rows, each given to a fresh copy of
# the test program made for it (a version setting names an executable).
platforms() {
    cp "$build/fwtest.exe" "$build/platform.exe"
    while read -r _ windows mode code; do
        wine reg add 'HKCU\Software\Wine\AppDefaults\platform.exe' /v Version /d "$windows" /f >/dev/null
        got=$(timeout 60 wine "$build/platform.exe" platform "$mode" | tr -d '\r')
        [ "$got" = "$code" ] || { echo "$windows $mode gives $got, not $code"; return 1; }
    done < <(grep "^$prefix " "$tests/platforms.txt")
}

fwtest() { timeout 120 wine "$build/fwtest.exe" "$@"; }

prefix="no prefix"
check resources resources

prefix=win64
wine_session "$build" win64 private
# Its Windows programs are 64-bit. Before the scenarios: it leaves the signed
# release for transfer-signed.
check signing bash "$tests/signing.sh" "$build"

# Where Wine cannot start a 32-bit program, the checks of the 32-bit programs
# are skipped with the reason said once, not failed one by one on what none of
# them is about.
skip_reason=$(wine_cannot_run_32bit)
if [ -n "$skip_reason" ]; then
    echo "skip  the 32-bit programs under Wine: $skip_reason"
fi
check platforms platforms
check checks fwtest checks
for scenario in $(grep -E '^[a-z]' "$tests/scenarios.txt" | grep -v -x attach); do
    check "$scenario" fwtest scenario "$scenario"
done

prefix=win32
[ -n "$skip_reason" ] || wine_session "$build" win32 private
check platforms platforms
check scanner-route fwtest scenario scanner-route

# Debian's python3, where umockdev's GObject bindings are.
prefix=umockdev
skip_reason=""
linux() { timeout 300 umockdev-wrapper /usr/bin/python3 -B "$tests/linux/cases.py" "$build/linux" "$1"; }
for group in shipped leaving-early retry terminal refused-access package; do
    check "linux-$group" linux "$group"
done

[ ${#failed[@]} -eq 0 ] || echo "failed: ${failed[*]} (logs: $build/test-logs, screenshots: $build/shots)"
summary="$passed passed, ${#failed[@]} failed"
if [ "$skipped" -gt 0 ]; then
    summary+=", $skipped skipped"
fi
echo "$summary"
[ ${#failed[@]} -eq 0 ]
