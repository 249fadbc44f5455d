#!/usr/bin/env bash
# The release: a throwaway root, one code-signing key in a PKCS#12 file and on
# a software token, a loopback time-stamp authority; both executables signed
# and checked. Leaves the token-signed ones for transfer-signed.
set -Eeuo pipefail
trap 'echo "FAILED at line $LINENO: $BASH_COMMAND"' ERR
build=$1
root=$(cd "$(dirname "$0")/.." && pwd)
work=$build/signing
rm -rf "$work" "$build/fwupdater-signed.exe" "$build/x64/fwupdater-signed.exe"
mkdir -p "$work/tokens"
cd "$work"
refuses() { ! "$@"; }
. "$root/tools/wine-session.sh"
# Each build of make dist and the name it ships under.
releases=(x86/fwupdater.exe=fwupdater.exe x64/fwupdater.exe=fwupdater-x64.exe)

# issue NAME EXTENSION: NAME.pem and NAME.key, issued by the root.
issue() {
    openssl req -newkey rsa:2048 -nodes -keyout "$1.key" -subj "/CN=Test $1" 2> /dev/null |
        openssl x509 -req -CA root.pem -CAkey root.key -extfile <(echo "$2") -out "$1.pem" 2> /dev/null
}
openssl req -x509 -newkey rsa:2048 -nodes -keyout root.key -subj "/CN=Test root" -out root.pem \
    -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign 2> /dev/null
issue signer extendedKeyUsage=critical,codeSigning
issue tsa extendedKeyUsage=critical,timeStamping
# The signer's key once more, in a certificate issued for a day in 2020.
openssl req -new -key signer.key -subj "/CN=Test expired" |
    faketime '2020-01-01 00:00:00' openssl x509 -req -days 1 -CA root.pem -CAkey root.key \
        -extfile <(echo extendedKeyUsage=critical,codeSigning) -out expired.pem 2> /dev/null
printf 'two words\n' > password
printf 'wrong\n' > wrong-password
printf 'pin-2718\n' > pin
printf 'pin-0000\n' > wrong-pin
openssl pkcs12 -export -inkey signer.key -in signer.pem -passout file:password -out signer.p12
export SOFTHSM2_CONF=$work/softhsm2.conf
echo "directories.tokendir = $work/tokens" > softhsm2.conf
softhsm2-util --init-token --free --label release --pin pin-2718 --so-pin 8765 > /dev/null
softhsm2-util --import signer.key --token release --label signer --id 01 --pin pin-2718 > /dev/null
token="SIGN_PKCS11_MODULE=/usr/lib/softhsm/libsofthsm2.so SIGN_KEY=pkcs11:token=release;object=signer"

# The authority: openssl ts behind an HTTP server on a free loopback port.
printf '%s\n' '[tsa]' 'default_tsa = authority' '[authority]' 'serial = serial' 'digests = sha256' \
    'signer_cert = tsa.pem' 'signer_key = tsa.key' 'signer_digest = sha256' 'default_policy = 1.2.3' > tsa.cnf
python3 "$root/tests/timestamp_authority.py" openssl ts -reply -config tsa.cnf \
    -queryfile /dev/stdin > tsa.port 2> tsa.log &
trap "kill $!" EXIT # $! expanded now: the authority
for _ in $(seq 50); do
    if [ -s tsa.port ]; then
        break
    fi
    sleep 0.1
done

# A wrong input or a wrong password fails make dist in one line naming it and
# leaves no release; the last builds what the signatures below are laid on.
dist() {
    mkdir -p failed
    touch failed/fwupdater.exe failed/SHA256SUMS
    refuses make -C "$root" dist DIST="$work/failed" DIST_BUILD="$work/build" "$@" > make.log 2>&1
    # The line besides make's own that says a recipe failed.
    grep -v '^make\[[0-9]*\]: \*\*\*' make.log > said.log
    [ "$(wc -l < said.log)" = 1 ]
    [ -z "$(ls failed)" ]
}
printf 'x\n' > lf-only.txt
dist FIRMWARE_IMAGE="$work/no-image"
grep -q '^make: FIRMWARE_IMAGE: no readable file' make.log
dist EULA_EN="$root/resources/agreement_ja.txt"
grep -q '^make: EULA_EN: .* is not plain ASCII text$' make.log
dist EULA_JA="$work/lf-only.txt"
grep -q '^make: EULA_JA: .* with CR LF$' make.log
dist TARGET_ROUTE=Printclass
grep -q "^make: TARGET_ROUTE: 'Printclass' is neither" make.log
dist SIGN_PKCS12="$work/signer.p12" SIGN_PASSWORD_FILE="$work/wrong-password"
[ "$(cat said.log)" = "make dist: wrong password in SIGN_PASSWORD_FILE for $work/signer.p12" ]

# osslsigncode and openssl as make dist calls them, their command lines and
# environments recorded.
mkdir bin
for tool in osslsigncode openssl; do
    printf '#!/bin/sh\n(echo "$*"; env) >> %s/seen\nexec %s "$@"\n' "$work" "$(command -v $tool)" > bin/$tool
    chmod +x bin/$tool
done
sign() { # DIST VARIABLE=VALUE...: make dist's last step on that build
    env PATH="$work/bin:$PATH" "${@:2}" bash "$root/tools/sign-release.sh" "$1" \
        "${releases[@]/#/build/}" < /dev/null
}
sign p12 SIGN_PKCS12=signer.p12 SIGN_PASSWORD_FILE=password "SIGN_TIMESTAMP_URL=http://127.0.0.1:$(cat tsa.port)"
sign token $token SIGN_CERT=signer.pem SIGN_PIN_FILE=pin
for release in p12 token; do
    (cd $release && sha256sum -c --quiet SHA256SUMS)
    [ "$(cut -d ' ' -f 3 $release/SHA256SUMS | xargs)" = "fwupdater.exe fwupdater-x64.exe" ]
    for pair in "${releases[@]}"; do
        executable=${pair#*=}
        osslsigncode verify -CAfile root.pem -TSA-CAfile root.pem -in $release/$executable > verify.log
        grep -q 'Subject: /CN=Test signer' verify.log
        if [ $release = p12 ]; then
            grep -q 'Timestamp Server Signature verification: ok' verify.log
        fi
        grep -qaF "TARVELIN chromalux 4410N firmware updater" $release/$executable
        osslsigncode remove-signature -in $release/$executable -out $release-$executable > /dev/null
        cmp $release-$executable "build/${pair%=*}"
    done
done
cp token/fwupdater-x64.exe flipped.exe
# One byte in the middle of the build, inverted.
at=$(($(stat -c %s build/x64/fwupdater.exe) / 2))
byte=$(od -An -tu1 -j $at -N 1 flipped.exe)
printf "\\x$(printf %02x $((byte ^ 255)))" | dd of=flipped.exe bs=1 seek=$at conv=notrunc 2> /dev/null
refuses osslsigncode verify -CAfile root.pem -in flipped.exe > flipped.log 2>&1
# Windows' own check under Wine (WinVerifyTrust): the digest, not the chain.
for answer in p12/fwupdater.exe:0x00000000 token/fwupdater.exe:0x00000000 \
    p12/fwupdater-x64.exe:0x00000000 token/fwupdater-x64.exe:0x00000000 \
    flipped.exe:0x80096010 build/x86/fwupdater.exe:0x800b0100 build/x64/fwupdater.exe:0x800b0100; do
    prefix_wine "$build/x64/trust.exe" "Z:$work/${answer%:*}" | tr -d '\r' | grep -x "${answer#*:}"
done

# Bad keys: one line saying which, and no release left of the one before.
while IFS='|' read -r says variables; do
    mkdir -p failed
    cp p12/* failed/
    refuses sign failed $variables 2> failed.log
    [ "$(wc -l < failed.log)" = 1 ]
    grep -q "$says" failed.log
    [ -z "$(ls failed)" ]
done << TABLE
refused the PIN|$token SIGN_CERT=signer.pem SIGN_PIN_FILE=wrong-pin
SIGN_PASSWORD_FILE: no readable file|SIGN_PKCS12=signer.p12 SIGN_PASSWORD_FILE=lost
not for code signing|$token SIGN_CERT=tsa.pem
has expired|$token SIGN_CERT=expired.pem SIGN_PIN_FILE=pin
time-stamp server|SIGN_PKCS12=signer.p12 SIGN_PASSWORD_FILE=password SIGN_TIMESTAMP_URL=http://127.0.0.1:1
TABLE
# The password and PIN stayed in their files, off every command line and
# environment of osslsigncode and openssl.
refuses grep -q 'two words\|pin-2718' seen make.log failed.log
cp token/fwupdater.exe "$build/fwupdater-signed.exe"
cp token/fwupdater-x64.exe "$build/x64/fwupdater-signed.exe"
