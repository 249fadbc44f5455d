#!/usr/bin/env bash
# The last step of `make dist`: puts the release executable and its SHA-256
# sum into DIST, signed with Authenticode when make was given a key.
#   sign-release.sh UNSIGNED DIST
# The key comes from make's variables, in the environment:
#   SIGN_PKCS12=FILE SIGN_PASSWORD_FILE=FILE
#   SIGN_PKCS11_MODULE=LIBRARY SIGN_KEY='pkcs11:...' SIGN_CERT=FILE [SIGN_PIN_FILE=FILE]
#   either with SIGN_TIMESTAMP_URL=URL (an RFC 3161 authority)
# The password and PIN stay in their files: only the files' names reach the
# command lines of openssl and osslsigncode. Any fault ends the script with
# one line on stderr and neither file in DIST, so nothing that fails can pass
# for a release.
set -euo pipefail
unsigned=$1
dist=$2
release=$dist/fwupdater.exe
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
log=$(dirname "$unsigned")/sign.log
work=$(mktemp -d "$(cd "$(dirname "$unsigned")" && pwd)/signing.XXXXXX")
trap 'rm -rf "$work"' EXIT

fail() {
    rm -f "$release" "$release.sha256"
    echo "make dist: $*" >&2
    exit 1
}

# Moves the finished executable into place, then writes its sum beside it.
publish() {
    mkdir -p "$dist"
    mv -f "$1" "$release"
    (cd "$dist" && sha256sum fwupdater.exe > "$work/sum") || fail "cannot sum $release"
    mv -f "$work/sum" "$release.sha256" || fail "cannot write $release.sha256"
    cat "$release.sha256"
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

# Signs into $work/signed.exe. The PKCS#11 engine is found by its name,
# which osslsigncode 2.5 and 2.9 both do; naming its file breaks 2.5.
sign() {
    local options=(-h sha256 -n "$description" -in "$unsigned" -out "$work/signed.exe")
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

# A separate step, so that its failure can only be the authority's.
stamp() {
    if ! timeout 60 osslsigncode add -ts "$timestamp_url" -h sha256 -in "$work/signed.exe" \
        -out "$work/stamped.exe" < /dev/null > "$log" 2>&1; then
        fail "the time-stamp server $timestamp_url gave no time stamp (unreachable or refused; see $log)"
    fi
    mv -f "$work/stamped.exe" "$work/signed.exe"
}

rm -f "$release" "$release.sha256"
check_variables
if [ -z "$pkcs12$module" ]; then
    cp "$unsigned" "$work/release.exe"
    publish "$work/release.exe"
    exit 0
fi
extract_certificate
check_certificate
sign
[ -z "$timestamp_url" ] || stamp
# What ships must be the reproducible build plus a signature and nothing else.
osslsigncode remove-signature -in "$work/signed.exe" -out "$work/plain.exe" > "$log" 2>&1 &&
    cmp -s "$work/plain.exe" "$unsigned" ||
    fail "the signed file less its signature is not the build (see $log)"
echo "signed by '$signer'${timestamp_url:+, time-stamped by $timestamp_url}"
publish "$work/signed.exe"
