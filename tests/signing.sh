#!/usr/bin/env bash
# The signed release: a throwaway root, one code-signing key in a PKCS#12 file and on a software
# token, a loopback time-stamp authority. Leaves the token-signed release for transfer-signed.
set -Eeuo pipefail
trap 'echo "FAILED at line $LINENO: $BASH_COMMAND"' ERR
build=$1
root=$(cd "$(dirname "$0")/.." && pwd)
work=$build/signing
rm -rf "$work" "$build/fwupdater-signed.exe" && mkdir -p "$work/tokens" && cd "$work"
refuses() { ! "$@"; }
. "$root/tools/wine-session.sh"

# issue NAME EXTENSION: NAME.pem and NAME.key, issued by the root.
issue() {
    openssl req -newkey rsa:2048 -nodes -keyout "$1.key" -subj "/CN=Test $1" 2> /dev/null |
        openssl x509 -req -CA root.pem -CAkey root.key -extfile <(echo "$2") -out "$1.pem" 2> /dev/null
}
openssl req -x509 -newkey rsa:2048 -nodes -keyout root.key -subj "/CN=Test root" -out root.pem \
    -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign 2> /dev/null
issue signer extendedKeyUsage=critical,codeSigning
issue tsa extendedKeyUsage=critical,timeStamping
printf 'two words\n' > password && printf 'wrong\n' > wrong-password
printf 'pin-2718\n' > pin && printf 'pin-0000\n' > wrong-pin
openssl pkcs12 -export -inkey signer.key -in signer.pem -passout file:password -out signer.p12
export SOFTHSM2_CONF=$work/softhsm2.conf
echo "directories.tokendir = $work/tokens" > softhsm2.conf
softhsm2-util --init-token --free --label release --pin pin-2718 --so-pin 8765 > /dev/null
softhsm2-util --import signer.key --token release --label signer --id 01 --pin pin-2718 > /dev/null
token="SIGN_PKCS11_MODULE=/usr/lib/softhsm/libsofthsm2.so SIGN_KEY=pkcs11:token=release;object=signer"

# The authority: openssl ts behind an HTTP server on a free loopback port.
printf '%s\n' '[tsa]' 'default_tsa = authority' '[authority]' 'serial = serial' 'digests = sha256' \
    'signer_cert = tsa.pem' 'signer_key = tsa.key' 'signer_digest = sha256' 'default_policy = 1.2.3' > tsa.cnf
echo 01 > serial
python3 -u -c '
import http.server, subprocess, sys
class Authority(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        query = self.rfile.read(int(self.headers["Content-Length"]))
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.end_headers()
        self.wfile.write(subprocess.run(sys.argv[1:], input=query, capture_output=True).stdout)
server = http.server.HTTPServer(("127.0.0.1", 0), Authority)
print(server.server_port)
server.serve_forever()' openssl ts -reply -config tsa.cnf -queryfile /dev/stdin > tsa.port 2> tsa.log &
trap "kill $!" EXIT # $! expanded now: the authority
for _ in $(seq 50); do [ -s tsa.port ] && break || sleep 0.1; done

# A wrong password fails make dist in one line and leaves no release; the
# build it made is the one the signatures below are laid on.
refuses make -C "$root" dist DIST="$work/failed" DIST_BUILD="$work/build" \
    SIGN_PKCS12="$work/signer.p12" SIGN_PASSWORD_FILE="$work/wrong-password" > make.log 2>&1
[ "$(grep '^make dist:' make.log)" = "make dist: wrong password in SIGN_PASSWORD_FILE for $work/signer.p12" ]
[ ! -e failed/fwupdater.exe ]
# osslsigncode as make dist calls it, its command lines and environments recorded.
mkdir bin
printf '#!/bin/sh\n(echo "$*"; env) >> %s/seen\nexec %s "$@"\n' "$work" "$(command -v osslsigncode)" > bin/osslsigncode
chmod +x bin/osslsigncode
sign() { # DIST VARIABLE=VALUE...: make dist's last step on that build
    env PATH="$work/bin:$PATH" "${@:2}" bash "$root/tools/sign-release.sh" build/fwupdater.exe "$1" < /dev/null
}
sign p12 SIGN_PKCS12=signer.p12 SIGN_PASSWORD_FILE=password "SIGN_TIMESTAMP_URL=http://127.0.0.1:$(cat tsa.port)"
sign token $token SIGN_CERT=signer.pem SIGN_PIN_FILE=pin
for release in p12 token; do
    osslsigncode verify -CAfile root.pem -TSA-CAfile root.pem -in $release/fwupdater.exe > $release.log
    grep -q 'Subject: /CN=Test signer' $release.log
    [ $release = token ] || grep -q 'Timestamp Server Signature verification: ok' $release.log
    grep -qaF "TARVELIN chromalux 4410N firmware updater" $release/fwupdater.exe
    osslsigncode remove-signature -in $release/fwupdater.exe -out $release.plain > /dev/null
    cmp $release.plain build/fwupdater.exe
    (cd $release && sha256sum -c --quiet fwupdater.exe.sha256)
done
cp token/fwupdater.exe flipped.exe
printf '\x5a' | dd of=flipped.exe bs=1 seek=300000 conv=notrunc 2> /dev/null # a byte of the image
refuses osslsigncode verify -CAfile root.pem -in flipped.exe > flipped.log 2>&1
# Windows' own check under Wine (WinVerifyTrust): the digest, not the chain.
for answer in p12/fwupdater.exe:0x00000000 token/fwupdater.exe:0x00000000 \
    flipped.exe:0x80096010 build/fwupdater.exe:0x800b0100; do
    prefix_wine "$build/trust.exe" "Z:$work/${answer%:*}" | tr -d '\r' | grep -x "${answer#*:}"
done

# Bad input: one line saying which, and no release left of the one before.
while IFS='|' read -r says variables; do
    mkdir -p failed && cp p12/fwupdater.exe* failed/
    refuses sign failed $variables 2> failed.log
    [ "$(wc -l < failed.log)" = 1 ]
    grep -q "$says" failed.log
    [ -z "$(ls failed)" ]
done << TABLE
refused the PIN|$token SIGN_CERT=signer.pem SIGN_PIN_FILE=wrong-pin
SIGN_PASSWORD_FILE: no readable file|SIGN_PKCS12=signer.p12 SIGN_PASSWORD_FILE=lost
not for code signing|$token SIGN_CERT=tsa.pem
time-stamp server|SIGN_PKCS12=signer.p12 SIGN_PASSWORD_FILE=password SIGN_TIMESTAMP_URL=http://127.0.0.1:1
TABLE
# The password and PIN stayed in their files.
refuses grep -q 'two words\|pin-2718' seen make.log failed.log
cp token/fwupdater.exe "$build/fwupdater-signed.exe"
