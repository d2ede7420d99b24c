#!/usr/bin/env bash
# A second copy of the client ends at once, silently, with status 0, while the
# first keeps running.
set -u
client="$1"
runtime=$(mktemp -d)
export XDG_RUNTIME_DIR="$runtime"
trap 'kill "$first" 2>/dev/null; wait 2>/dev/null; rm -rf "$runtime"' EXIT

"$client" >/dev/null 2>&1 &
first=$!
for _ in $(seq 50); do [ -e "$runtime/TUVEK.lock" ] && break; sleep 0.1; done
sleep 0.5
kill -0 "$first" || { echo "first copy did not stay up"; exit 1; }

start=$(date +%s%N)
timeout 10 "$client" >"$runtime/out" 2>&1
rc=$?
elapsed_ms=$(( ($(date +%s%N) - start) / 1000000 ))
[ "$rc" -eq 0 ] || { echo "second copy exit status $rc"; exit 1; }
[ ! -s "$runtime/out" ] || { echo "second copy printed:"; cat "$runtime/out"; exit 1; }
[ "$elapsed_ms" -lt 3000 ] || { echo "second copy took ${elapsed_ms} ms"; exit 1; }
kill -0 "$first" || { echo "first copy died"; exit 1; }
echo "second copy ended in ${elapsed_ms} ms with status 0; first still running"
