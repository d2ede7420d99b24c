#!/bin/sh
# Init (pid 1) of a User-mode Linux guest started by uml-run.sh.
# The kernel hands unknown "key=value" boot parameters to init as environment
# variables: zv_out (host directory for results) and zv_script (the test to run).
# Results come back through a writable hostfs mount of zv_out:
#   /out/console.log  everything the test printed
#   /out/status       the test's exit status (written last, so its presence means "finished")
# and a marker line "ZV-EXIT <status>" on the console for callers that only read it.
export PATH=/usr/sbin:/usr/bin:/sbin:/bin
export HOME=/root LANG=C.UTF-8
mount -t proc proc /proc
mount -t sysfs sys /sys
mkdir -p /dev/pts
mount -t devpts devpts /dev/pts -o newinstance,ptmxmode=0666
mount --bind /dev/pts/ptmx /dev/ptmx
mount -t tmpfs tmpfs /run
mkdir -p /run/lock /run/netns /run/out
# A checkout under the host's /tmp stays in sight below the guest's own /tmp.
mkdir -p /run/hosttmp
mount --bind /tmp /run/hosttmp
mount -t tmpfs tmpfs /tmp
case "$zv_script" in
    /tmp/?*/*)
        top=${zv_script#/tmp/}
        top=${top%%/*}
        mkdir -p "/tmp/$top" && mount --bind "/run/hosttmp/$top" "/tmp/$top"
        ;;
esac
# The root is the host's file system, read-only; /etc/ppp gets a private writable copy
# (pppd wants chap-secrets there). cp may fail on unreadable files as an unprivileged host user.
mkdir -p /run/etcppp; cp -a /etc/ppp/. /run/etcppp/ 2>/dev/null; mount --bind /run/etcppp /etc/ppp
# Run by an unprivileged host user, hostfs applies that user's rights: /usr/sbin/pppd
# (-rwsr-xr-- root:dip) is readable but not executable for "others". A copy on tmpfs, bound over
# the original, is (xl2tpd starts /usr/sbin/pppd by that fixed path).
if [ ! -x /usr/sbin/pppd ] && [ -r /usr/sbin/pppd ]; then
    cp /usr/sbin/pppd /run/pppd-copy && chmod 755 /run/pppd-copy && mount --bind /run/pppd-copy /usr/sbin/pppd
fi
status=99
if [ -z "$zv_out" ] || ! mount -t hostfs none /run/out -o "$zv_out"; then
    echo "ZV-EXIT 98 (no output directory)"
    poweroff -f
fi
ln -s /run/out /tmp/out 2>/dev/null
if [ -x "$zv_script" ]; then
    "$zv_script" > /run/out/console.log 2>&1 < /dev/null
    status=$?
else
    echo "not executable: $zv_script" > /run/out/console.log
fi
echo "$status" > /run/out/status.tmp && mv /run/out/status.tmp /run/out/status
sync
echo "ZV-EXIT $status"
# -f: no init system to ask; the guest kernel stops and the UML process exits 0.
poweroff -f
