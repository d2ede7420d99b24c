#!/bin/bash
# Boots a User-mode Linux guest that runs one test script as (the child of) init, and
# brings its output and exit status back. Bounded in time; leaves no process behind.
#
#   uml-run.sh [-m MEM] [-t SECONDS] OUTDIR SCRIPT [NAME=VALUE...]
#
# NAME=VALUE pairs become boot parameters, which the kernel hands to init as environment
# variables (upper-case names, so the kernel itself takes none of them; no spaces in values).
#
# OUTDIR (host directory, created) receives:
#   boot.log     the guest console (kernel messages, "ZV-EXIT n" marker)
#   console.log  what SCRIPT printed (written by the guest through hostfs)
#   status       SCRIPT's exit status, written last
#   host.txt     host-side facts: wall time, UML exit, whether the watchdog fired
# Exit status: SCRIPT's status; 124 when the watchdog killed the guest; 125 when the guest
# ended without a status.
# The guest's root is the host's / read-only (hostfs); SCRIPT must be readable there.
set -u
mem=384M
limit=180
while getopts m:t: o; do
    case $o in
    m) mem=$OPTARG ;;
    t) limit=$OPTARG ;;
    *) exit 2 ;;
    esac
done
shift $((OPTIND - 1))
[ $# -ge 2 ] || { echo "usage: $0 [-m MEM] [-t SECONDS] OUTDIR SCRIPT [NAME=VALUE...]" >&2; exit 2; }
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$1"
out=$(cd "$1" && pwd)
script=$(realpath "$2")
shift 2
for kv in "$@"; do
    case $kv in
    [A-Z]*=*) [ "${kv%%=*}" = "$(printf '%s' "${kv%%=*}" | tr -cd 'A-Z0-9_')" ] || { echo "bad name: $kv" >&2; exit 2; } ;;
    *) echo "bad parameter: $kv" >&2; exit 2 ;;
    esac
    case $kv in *[[:space:]]*) echo "no spaces: $kv" >&2; exit 2 ;; esac
done
rm -f "$out/status" "$out/console.log" "$out/boot.log" "$out/host.txt"
# The guest writes through hostfs as this host user; keep it writable for an unprivileged run.
umid="zv-$$-$RANDOM"
start=$(date +%s%N)

# setsid: the guest and every helper process it forks share one new session, so the
# watchdog can find and kill all of them. A background job of a non-interactive bash is
# not a process-group leader, so setsid execs in place and $! is UML's own pid.
setsid linux.uml umid="$umid" mem="$mem" root=/dev/root rootfstype=hostfs rootflags=/ ro \
    init="$here/guest-init.sh" con=null ssl=null con0=null,fd:1 \
    zv_out="$out" zv_script="$script" "$@" \
    < /dev/null > "$out/boot.log" 2>&1 &
uml=$!

# If this script is itself stopped (a CI timeout, Ctrl-C), the guest goes with it.
on_signal() {
    kill -KILL -- "-$uml" 2> /dev/null
    sweep
    rm -rf "${HOME:-/root}/.uml/$umid"
    echo "uml-run: stopped by a signal; guest killed" >&2
    exit 143
}
# Kills whatever is still in the guest's session (helpers that outlived UML), repeatedly until
# the session is empty: a killed process stays listed until its parent is gone.
sweep() {
    leftcount=0
    sweeps=0
    while [ "$sweeps" -lt 50 ]; do
        left=$(ps -eo pid=,sid= | awk -v s="$uml" '$2 == s { print $1 }')
        [ -z "$left" ] && break
        [ "$sweeps" = 0 ] && leftcount=$(echo "$left" | wc -w)
        for p in $left; do kill -KILL "$p" 2> /dev/null; done
        sweeps=$((sweeps + 1))
        sleep 0.1
    done
    [ -n "$left" ] && echo "processes of the guest survive: $left" >&2
}
trap on_signal TERM INT HUP

killed=0
deadline=$(($(date +%s) + limit))
# The deadline also covers a guest whose kernel hangs on the way down.
while kill -0 "$uml" 2> /dev/null; do
    if [ "$(date +%s)" -ge "$deadline" ]; then
        killed=1
        kill -KILL -- "-$uml" 2> /dev/null
        break
    fi
    sleep 0.2
done
wait "$uml" 2> /dev/null
umlrc=$?

sweep
# UML's pid file and management socket; removed by UML itself on a clean halt only.
rm -rf "${HOME:-/root}/.uml/$umid"

ms=$((($(date +%s%N) - start) / 1000000))
if [ "$killed" = 1 ]; then
    rc=124
elif [ -f "$out/status" ]; then
    rc=$(cat "$out/status")
else
    rc=125
fi
printf 'wall_ms=%s\numl_exit=%s\nwatchdog=%s\nleftover_after_uml_exit=%s\nsweeps=%s\nstatus=%s\n' \
    "$ms" "$umlrc" "$killed" "$leftcount" "$sweeps" "$rc" > "$out/host.txt"
exit "$rc"
