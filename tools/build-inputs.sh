#!/usr/bin/env bash
# The build's inputs, from the variables make exports (paths from the
# repository's top folder), checked before anything is built:
#   build-inputs.sh check [FILE]     a bad input: one line on stderr naming it,
#                                    exit 1; FILE, when given, is rewritten
#                                    with the inputs whenever they change
#   build-inputs.sh describe [FILE]  the image the build carries, its size and
#                                    SHA-256, printed and written to FILE
set -euo pipefail
cd "$(dirname "$0")/.."
image=${FIRMWARE_IMAGE:-resources/firmware_placeholder.bin}
english=${EULA_EN:-resources/agreement_en.txt}
japanese=${EULA_JA:-resources/agreement_ja.txt}
hardware_id=${TARGET_HARDWARE_ID-USB\\VID_0E7A&PID_41C5}
route=${TARGET_ROUTE:-PrintClass}
# The send loop's progress, 100 times the bytes sent, must fit 32 bits.
largest_image=42949672

fail() {
    echo "make: $*" >&2
    exit 1
}

# readable VARIABLE PATH
readable() {
    if [ ! -f "$2" ] || [ ! -r "$2" ]; then
        fail "$1: no readable file at '$2'"
    fi
    if [ ! -s "$2" ]; then
        fail "$1: '$2' is empty"
    fi
}

# Every line, the last one too, ends with CR LF: as many LFs as CR LF pairs,
# and no CR elsewhere.
crlf_lines() {
    local lines pairs returns
    lines=$(tr -cd '\n' < "$2" | wc -c)
    pairs=$(LC_ALL=C grep -c $'\r$' "$2" || true)
    returns=$(tr -cd '\r' < "$2" | wc -c)
    if [ "$(tail -c 1 "$2" | od -An -c | tr -d ' ')" != '\n' ] || [ "$pairs" -ne "$lines" ] ||
        [ "$returns" -ne "$lines" ]; then
        fail "$1: '$2' must end every line, the last one included, with CR LF"
    fi
}

# encoded VARIABLE PATH ICONV-NAME WHAT
encoded() {
    if ! iconv -f "$3" -t UTF-8 "$2" > /dev/null 2>&1; then
        fail "$1: '$2' is not $4"
    fi
}

check_image() {
    readable FIRMWARE_IMAGE "$image"
    local size
    size=$(stat -c %s "$image")
    if [ "$size" -gt "$largest_image" ]; then
        fail "FIRMWARE_IMAGE: '$image' has $size bytes; the updater takes at most $largest_image"
    fi
}

check_agreements() {
    readable EULA_EN "$english"
    encoded EULA_EN "$english" ASCII "plain ASCII text"
    crlf_lines EULA_EN "$english"
    readable EULA_JA "$japanese"
    encoded EULA_JA "$japanese" CP932 "valid Shift-JIS text (code page 932)"
    crlf_lines EULA_JA "$japanese"
}

# Empty (the USB tree is walked), or IDs of the form USB\VID_xxxx&PID_xxxx,
# each perhaps with more after it, comma-separated; 127 characters at most.
check_target() {
    local id
    if [ "${#hardware_id}" -gt 127 ]; then
        fail "TARGET_HARDWARE_ID: ${#hardware_id} characters; at most 127 fit"
    fi
    if [ -n "$hardware_id" ]; then
        local ids
        IFS=, read -r -a ids <<< "$hardware_id,"
        for id in "${ids[@]}"; do
            if [[ ! $id =~ ^USB\\VID_[[:xdigit:]]{4}\&PID_[[:xdigit:]]{4}(\&[^\"]*)?$ ]]; then
                fail "TARGET_HARDWARE_ID: '$id' is not of the form USB\\VID_xxxx&PID_xxxx"
            fi
        done
    fi
    if [ "$route" != PrintClass ] && [ "$route" != ScanClass ]; then
        fail "TARGET_ROUTE: '$route' is neither PrintClass (the USB printing driver) nor ScanClass (the still-image driver)"
    fi
}

# Rewrites FILE only when the inputs differ from those it holds, so that make
# configures the builds again exactly then.
record() {
    local recorded
    recorded=$(printf '%s\n' "$image" "$english" "$japanese" "$hardware_id" "$route")
    mkdir -p "$(dirname "$1")"
    if [ "$(cat "$1" 2> /dev/null)" != "$recorded" ]; then
        echo "$recorded" > "$1"
    fi
}

describe() {
    local size sum line
    size=$(stat -c %s "$image")
    sum=$(sha256sum < "$image")
    line="firmware image: $size bytes, SHA-256 ${sum%% *} ($image)"
    echo "$line"
    if [ -n "${1:-}" ]; then
        echo "$line" > "$1"
    fi
}

case $1 in
check)
    check_image
    check_agreements
    check_target
    if [ -n "${2:-}" ]; then
        record "$2"
    fi
    ;;
describe)
    describe "${2:-}"
    ;;
*)
    fail "build-inputs.sh: check or describe, not '$1'"
    ;;
esac
