#!/usr/bin/env bash
# Runs a test program inside a network namespace of its own (with its own
# /sys, as `ip netns exec` mounts it), and removes the namespace afterwards.
# Without root there is no namespace to make: the program runs as it is, and
# its tests that need one skip themselves.
set -u
if [ "$(id -u)" -ne 0 ]; then
    exec "$@"
fi
ns="zvt-test-$$-$RANDOM"
ip netns add "$ns" || exit 1
trap 'ip netns del "$ns" 2>/dev/null' EXIT
ip -n "$ns" link set lo up
ip netns exec "$ns" "$@"
