#!/usr/bin/env bash
# Runs one test script inside a User-mode Linux guest (tests/guest/uml-run.sh)
# and passes on its output and status. The guest sees this machine's file
# system read-only: the build's programs at BIN, the sources at SRC.
#
#   run_guest_test.sh BIN OUTDIR SCRIPT [-m MEM] [-t SECONDS] [NAME=VALUE...]
#
# Where no guest can start (no user-mode-linux, no PPTP/L2TP servers, not
# root), it says so and exits 77, which CTest reports as skipped.
set -u
here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/../.." && pwd)
bin=$(cd "$1" && pwd) out=$2 script=$3
shift 3
opts=()
while [ $# -gt 0 ] && [ "${1#-}" != "$1" ]; do opts+=("$1" "$2"); shift 2; done
missing=()
for p in linux.uml pptpd xl2tpd busybox pppd pptp; do
    command -v "$p" > /dev/null 2>&1 || [ -x "/usr/sbin/$p" ] || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
    echo "SKIPPED: no guest can start here; missing: ${missing[*]} (scripts/install-deps.sh installs them)"
    exit 77
fi
if [ "$(id -u)" -ne 0 ]; then
    echo "SKIPPED: the guest's pppd and network namespaces need the tests to run as root"
    exit 77
fi
"$here/uml-run.sh" "${opts[@]}" "$out" "$here/$script" ZV_BIN="$bin" ZV_SRC="$src" "$@"
rc=$?
cat "$out/console.log" 2> /dev/null
[ "$rc" = 124 ] && echo "the guest ran out of time"
[ "$rc" = 125 ] && { echo "the guest ended without a status:"; tail -30 "$out/boot.log"; }
exit "$rc"
