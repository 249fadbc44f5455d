#!/usr/bin/env bash
# make test: every check and scenario (or those named), under Wine, headless.
set -euo pipefail
build=$(cd "$1" && pwd)
tests=$(cd "$(dirname "$0")" && pwd)
only=" ${*:2} "
. "$tests/../tools/wine-session.sh"
wine_session "$build" private
mkdir -p "$build/test-logs" && failed=()

check() {
    local name=$1 log=$build/test-logs/$1.log
    shift
    [ "$only" = "  " ] || [[ $only == *" $name "* ]] || return 0
    "$@" > "$log" 2>&1 && echo "pass  $name" && return
    echo "FAIL  $name" && sed 's/^/      /' "$log"
    failed+=("$name")
}

# Type, id, language and size of every resource, as objdump lists them.
resources() {
    i686-w64-mingw32-objdump -p "$build/fwupdater.exe" | sed -n '/Resource Directory section/,/^$/p' |
        grep -E 'Entry|Leaf' | sed -E 's/^[0-9a-f]+ //; s/,? ?Value: .*//; s/Addr: [^,]*, //;
            s/, Codepage.*//; s/name: \[[^]]*\]: //; s/ID: //' | diff - <(grep -v '^#' "$tests/resources.txt")
}

# Every Windows version Wine reports, each given to a fresh copy of the test
# program made for it (a version setting names an executable).
platforms() {
    cp "$build/fwtest.exe" "$build/platform.exe"
    while read -r windows mode code; do
        wine reg add 'HKCU\Software\Wine\AppDefaults\platform.exe' /v Version /d "$windows" /f >/dev/null
        got=$(timeout 60 wine "$build/platform.exe" platform "$mode" | tr -d '\r')
        [ "$got" = "$code" ] || { echo "$windows $mode gives $got, not $code"; return 1; }
    done < <(grep -v '^#' "$tests/platforms.txt")
}

fwtest() { timeout 120 wine "$build/fwtest.exe" "$@"; }
check resources resources
check platforms platforms
check checks fwtest checks
# Before the scenarios: it leaves the signed release for transfer-signed.
check signing bash "$tests/signing.sh" "$build"
for scenario in $(grep -E '^[a-z]' "$tests/scenarios.txt" | grep -v -x attach); do
    check "$scenario" fwtest scenario "$scenario"
done
[ ${#failed[@]} -eq 0 ] && echo "all passed" && exit 0
echo "${#failed[@]} failed: ${failed[*]} (logs: $build/test-logs, screenshots: $build/shots)" && exit 1
