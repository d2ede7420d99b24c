#!/usr/bin/env bash
# Runs a test program inside a network namespace of its own (with its own
# /sys, as `ip netns exec` mounts it) and a mount namespace in which
# /run/zavtrel, where the remote-access service listens, is a private tmpfs;
# removes the namespace afterwards. Without root there is no namespace to
# make: the program runs as it is, and its tests that need one skip
# themselves.
set -u
if [ "$(id -u)" -ne 0 ]; then
    exec "$@"
fi
ns="zvt-test-$$-$RANDOM"
ip netns add "$ns" || exit 1
made_dir=no
[ -d /run/zavtrel ] || { mkdir -p /run/zavtrel && made_dir=yes; }
cleanup() {
    ip netns del "$ns" 2>/dev/null
    [ $made_dir = yes ] && rmdir /run/zavtrel 2>/dev/null
}
trap cleanup EXIT
ip -n "$ns" link set lo up
# Unprivileged test users may ping (the service's callers run as them).
ip netns exec "$ns" sysctl -qw net.ipv4.ping_group_range="0 2147483647"
ip netns exec "$ns" sh -c 'mount -t tmpfs -o mode=0755 zavtrel-run /run/zavtrel && exec "$@"' sh \
    env ZAVTREL_PRIVATE_RUN=1 "$@"
