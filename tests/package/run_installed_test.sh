#!/usr/bin/env bash
# Builds the Debian package from this build, installs it with dpkg, runs the
# installed client as a user would (package_tests, in a network namespace
# and a private /run/zavtrel), then purges the package and checks that
# nothing of it is left.
#   run_installed_test.sh PACKAGE_TESTS
set -u
here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/../.." && pwd)
tests=$1
if [ "$(id -u)" -ne 0 ]; then
    echo "SKIPPED: installing a package needs root"
    exit 77
fi
if dpkg-query -W -f='${Status}' zavtrel 2> /dev/null | grep -q installed; then
    echo "SKIPPED: a zavtrel package is installed on this machine already; not touching it"
    exit 77
fi
deb=$(ZAVTREL_PACKAGE_NO_BUILD=1 bash "$src/scripts/package.sh" | tail -1)
[ -f "$deb" ] || { echo "FAIL: no package"; exit 1; }
echo "package: $deb ($(stat -c %s "$deb") bytes)"
files=$(dpkg-deb -c "$deb" | awk '{print $6}' | sed 's#^\./#/#' | grep -v '/$')
status=0
if ! dpkg -i "$deb"; then
    echo "FAIL: dpkg -i"
    status=1
fi
if [ $status -eq 0 ]; then
    getent group zavtrel > /dev/null || { echo "FAIL: no group zavtrel after install"; status=1; }
    ZAVTREL_INSTALLED_TEST=1 "$src/tests/support/run_in_netns.sh" "$tests" || status=1
fi
dpkg --purge zavtrel || { echo "FAIL: dpkg --purge"; status=1; }
for f in $files; do
    if [ -e "$f" ] || [ -L "$f" ]; then
        echo "FAIL: left after purge: $f"
        status=1
    fi
done
for d in /usr/lib/zavtrel /etc/zavtrel /usr/share/doc/zavtrel /run/zavtrel/rasd.sock; do
    [ -e "$d" ] && { echo "FAIL: left after purge: $d"; status=1; }
done
getent group zavtrel > /dev/null && { echo "FAIL: group zavtrel left after purge"; status=1; }
[ $status -eq 0 ] && echo "installed, used and purged: nothing left"
exit $status
