#!/usr/bin/env bash
# Runs a test program as an unprivileged member of the remote-access
# service's group, with the service running as root. Meant to run inside
# run_in_netns.sh (its private /run/zavtrel and network namespace).
#   run_as_member.sh ZAVTREL_RASD PROGRAM [ARGS...]
set -u
rasd=$1
shift
if [ "$(id -u)" -ne 0 ] || [ -z "${ZAVTREL_PRIVATE_RUN:-}" ]; then
    echo "needs root inside run_in_netns.sh: skipped"
    exit 77
fi
member=64124 group=64123
dir=$(mktemp -d)
chmod 755 "$dir"
mkdir "$dir/service" "$dir/home"
chown "$member:$member" "$dir/service" "$dir/home"
printf '[backend]\r\nname=simulate\r\nscenario=scenario.ini\r\n' > "$dir/service/rasd.ini"
"$rasd" --group "$group" --config "$dir/service/rasd.ini" 2> "$dir/rasd.log" &
pid=$!
cleanup() {
    kill "$pid" 2> /dev/null
    wait "$pid" 2> /dev/null
    rm -rf "$dir"
}
trap cleanup EXIT
for _ in $(seq 100); do
    [ -S /run/zavtrel/rasd.sock ] && break
    sleep 0.05
done
# The nodes of the test's node list answer on loopback.
ip addr add 10.200.1.1/32 dev lo
ip addr add 10.200.1.2/32 dev lo
setpriv --reuid="$member" --regid="$member" --groups="$group" -- \
    env HOME="$dir/home" TMPDIR="$dir/home" ZAVTREL_RASD_CONFIG="$dir/service/rasd.ini" "$@"
rc=$?
[ $rc -eq 0 ] || { echo "--- service log"; cat "$dir/rasd.log"; }
exit $rc
