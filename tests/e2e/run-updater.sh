#!/usr/bin/env bash
# make run: fwupdater.exe under Wine with the virtual printer attached. On the
# user's display when there is one; otherwise the accept-and-transfer session
# is played under Xvfb and the screenshots and captured bytes are listed.
set -euo pipefail
exe=${1:?usage: run-updater.sh path/to/fwupdater.exe}
exec /usr/bin/python3 -B "$(dirname "$0")/harness.py" run --exe "$exe"
