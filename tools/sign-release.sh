#!/usr/bin/env bash
# The last step of `make dist`: puts the release executables and one
# SHA-256 sum file into DIST, signed with Authenticode when make was given a
# key.
#   sign-release.sh DIST UNSIGNED=NAME...
# The key comes from make's variables, in the environment:
#   SIGN_PKCS12=FILE SIGN_PASSWORD_FILE=FILE
#   SIGN_PKCS11_MODULE=LIBRARY SIGN_KEY='pkcs11:...' SIGN_CERT=FILE [SIGN_PIN_FILE=FILE]
#   either with SIGN_TIMESTAMP_URL=URL (an RFC 3161 authority)
# The password and PIN stay in their files: only the files' names reach the
# command lines of openssl and osslsigncode. Any fault ends the script with
# one line on stderr and no release file in DIST, so nothing that fails can
# pass for a release; the executables move there only when every one is done.
set -euo pipefail
dist=$1
releases=("${@:2}")
description="TARVELIN chromalux 4410N firmware updater"
pkcs12=${SIGN_PKCS12:-}
password_file=${SIGN_PASSWORD_FILE:-}
module=${SIGN_PKCS11_MODULE:-}
key=${SIGN_KEY:-}
certificate=${SIGN_CERT:-}
pin_file=${SIGN_PIN_FILE:-}
timestamp_url=${SIGN_TIMESTAMP_URL:-}

# osslsigncode's own messages, kept for the one-line error to point at; they
# never hold the password or PIN.
first=${releases[0]%=*}
log=$(dirname "$(dirname "$first")")/sign.log
work=$(mktemp -d "$(cd "$(dirname "$first")" && pwd)/signing.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/out"

# Every file a release holds, so that a failure leaves none of them.
remove_release() {
    local release
    for release in "${releases[@]}"; do
        rm -f "$dist/${release#*=}"
    done
    rm -f "$dist/SHA256SUMS"
}

fail() {
    remove_release
    echo "make dist: $*" >&2
    exit 1
}

# Sums the finished executables, then moves them and the sums into place.
publish() {
    local release names=()
    for release in "${releases[@]}"; do
        names+=("${release#*=}")
    done
    (cd "$work/out" && sha256sum "${names[@]}" > SHA256SUMS) || fail "cannot sum the release"
    mkdir -p "$dist"
    for name in "${names[@]}" SHA256SUMS; do
        mv -f "$work/out/$name" "$dist/$name" || fail "cannot write $dist/$name"
    done
    cat "$dist/SHA256SUMS"
}

# readable VARIABLE PATH
readable() {
    [ -f "$2" ] && [ -r "$2" ] || fail "$1: no readable file at '$2'"
}

# Checks the variables belong together: one way to hold the key, nothing
# from the other way, and a time stamp only with a key.
check_variables() {
    if [ -n "$pkcs12" ] && [ -n "$module" ]; then
        fail "give SIGN_PKCS12 or SIGN_PKCS11_MODULE, not both"
    fi
    if [ -n "$pkcs12" ]; then
        [ -n "$password_file" ] || fail "SIGN_PKCS12 needs SIGN_PASSWORD_FILE"
        [ -z "$key$certificate$pin_file" ] ||
            fail "SIGN_KEY, SIGN_CERT and SIGN_PIN_FILE go with SIGN_PKCS11_MODULE, not SIGN_PKCS12"
        readable SIGN_PKCS12 "$pkcs12"
        readable SIGN_PASSWORD_FILE "$password_file"
    elif [ -n "$module" ]; then
        [ -n "$key" ] || fail "SIGN_PKCS11_MODULE needs SIGN_KEY='pkcs11:...'"
        [ -n "$certificate" ] || fail "SIGN_PKCS11_MODULE needs SIGN_CERT"
        [ -z "$password_file" ] || fail "SIGN_PASSWORD_FILE goes with SIGN_PKCS12; a token's PIN with SIGN_PIN_FILE"
        [[ $key == pkcs11:* ]] || fail "SIGN_KEY must be a pkcs11: URI"
        [[ $key != *pin-value=* ]] || fail "SIGN_KEY must not carry the PIN: put it in SIGN_PIN_FILE"
        readable SIGN_PKCS11_MODULE "$module"
        readable SIGN_CERT "$certificate"
        [ -z "$pin_file" ] || readable SIGN_PIN_FILE "$pin_file"
    elif [ -n "$password_file$key$certificate$pin_file$timestamp_url" ]; then
        fail "SIGN_PASSWORD_FILE, SIGN_KEY, SIGN_CERT, SIGN_PIN_FILE and SIGN_TIMESTAMP_URL need SIGN_PKCS12 or SIGN_PKCS11_MODULE"
    fi
}

# The signer's certificate as PEM in $work/signer.pem: from the PKCS#12 file
# (which proves the password), or the first certificate of SIGN_CERT.
extract_certificate() {
    if [ -n "$pkcs12" ]; then
        if ! openssl pkcs12 -in "$pkcs12" -passin "file:$password_file" -nokeys -clcerts \
            -out "$work/signer.pem" > "$log" 2>&1; then
            grep -qi 'invalid password' "$log" &&
                fail "wrong password in SIGN_PASSWORD_FILE for $pkcs12"
            fail "SIGN_PKCS12: $pkcs12 is not a PKCS#12 file openssl can read (see $log)"
        fi
    elif ! openssl x509 -in "$certificate" -out "$work/signer.pem" 2> /dev/null &&
        ! openssl x509 -inform DER -in "$certificate" -out "$work/signer.pem" 2> /dev/null; then
        fail "SIGN_CERT: $certificate holds no certificate (PEM or DER)"
    fi
}

# osslsigncode signs with any certificate; Windows accepts a signature only
# from one made for code signing, and only while it is valid.
check_certificate() {
    signer=$(openssl x509 -in "$work/signer.pem" -noout -subject -nameopt RFC2253)
    signer=${signer#subject=}
    openssl x509 -in "$work/signer.pem" -noout -ext extendedKeyUsage 2> /dev/null |
        grep -Eq '(^[[:space:]]*|, )Code Signing(,|$)' ||
        fail "the certificate '$signer' is not for code signing (no Code Signing extended key usage)"
    openssl x509 -in "$work/signer.pem" -noout -checkend 0 > /dev/null ||
        fail "the certificate '$signer' has expired"
}

# Says in one line why osslsigncode could not sign with the token, from the
# messages of the PKCS#11 engine (the same for every osslsigncode version).
token_failure() {
    if grep -q 'PIN incorrect\|PIN_INCORRECT\|PIN locked\|PIN_LOCKED' "$log"; then
        fail "the token refused the PIN in SIGN_PIN_FILE"
    elif grep -q 'No PIN code was entered' "$log"; then
        fail "the token needs a PIN: give it in SIGN_PIN_FILE"
    elif grep -q 'Unable to load module' "$log"; then
        fail "SIGN_PKCS11_MODULE: $module is not a PKCS#11 module that loads"
    elif grep -q 'object not found\|No matching initialized token' "$log"; then
        fail "no private key at SIGN_KEY $key"
    elif grep -q 'key values mismatch' "$log"; then
        fail "the key at SIGN_KEY does not belong to the certificate in SIGN_CERT"
    fi
    fail "osslsigncode could not sign with the key at SIGN_KEY (see $log)"
}

# sign UNSIGNED SIGNED. The PKCS#11 engine is found by its name, which
# osslsigncode 2.5 and 2.9 both do; naming its file breaks 2.5.
sign() {
    local options=(-h sha256 -n "$description" -in "$1" -out "$2")
    if [ -n "$pkcs12" ]; then
        osslsigncode sign -pkcs12 "$pkcs12" -readpass "$password_file" "${options[@]}" \
            < /dev/null > "$log" 2>&1 ||
            fail "osslsigncode could not sign with $pkcs12 (see $log)"
    else
        local pin=()
        [ -z "$pin_file" ] || pin=(-readpass "$pin_file")
        osslsigncode sign -pkcs11module "$module" -certs "$certificate" -key "$key" "${pin[@]}" \
            "${options[@]}" < /dev/null > "$log" 2>&1 || token_failure
    fi
}

# stamp SIGNED: a separate step, so that its failure can only be the authority's.
stamp() {
    if ! timeout 60 osslsigncode add -ts "$timestamp_url" -h sha256 -in "$1" \
        -out "$work/stamped.exe" < /dev/null > "$log" 2>&1; then
        fail "the time-stamp server $timestamp_url gave no time stamp (unreachable or refused; see $log)"
    fi
    mv -f "$work/stamped.exe" "$1"
}

# What ships must be the reproducible build plus a signature and nothing else.
# matches_build SIGNED UNSIGNED
matches_build() {
    rm -f "$work/plain.exe" # osslsigncode writes no file that is there already
    if ! osslsigncode remove-signature -in "$1" -out "$work/plain.exe" > "$log" 2>&1 ||
        ! cmp -s "$work/plain.exe" "$2"; then
        fail "$(basename "$1") less its signature is not the build (see $log)"
    fi
}

remove_release
check_variables
if [ -n "$pkcs12$module" ]; then
    extract_certificate
    check_certificate
fi
for release in "${releases[@]}"; do
    unsigned=${release%=*}
    signed=$work/out/${release#*=}
    if [ -z "$pkcs12$module" ]; then
        cp "$unsigned" "$signed"
        continue
    fi
    sign "$unsigned" "$signed"
    if [ -n "$timestamp_url" ]; then
        stamp "$signed"
    fi
    matches_build "$signed" "$unsigned"
    echo "$(basename "$signed") signed by '$signer'${timestamp_url:+, time-stamped by $timestamp_url}"
done
publish
