# Helpers for the test scripts that run inside the guest (sourced, POSIX sh).
#
# Two network namespaces joined by a veth pair: "srv" (192.0.2.1) holds the
# servers and a network behind them, "cli" (192.0.2.2) the client side.
# Nothing has a route out of the guest; the guest has no network device
# towards the machine. The build's programs and the sources are seen through
# the guest's read-only root at the paths the boot parameters ZV_BIN and ZV_SRC
# name.
export PATH=/usr/sbin:/usr/bin:/sbin:/bin
M=/usr/lib/uml/modules/$(uname -r)/kernel
BIN=$ZV_BIN
SRC=$ZV_SRC
BOOKS=$SRC/resources/phonebook
RASDIAL=$BIN/rasdial
FAILED=0

# Milliseconds since boot, for timings.
now_ms() { awk '{ printf "%d\n", $1 * 1000 }' /proc/uptime; }

# check NAME CONDITION-COMMAND...: prints the outcome, remembers a failure.
check() {
    name=$1; shift
    if "$@"; then echo "ok   $name"; else echo "FAIL $name"; FAILED=1; fi
}
# The test script's end: its status tells.
finish() { sync; exit "$FAILED"; }

# Modules in dependency order; busybox insmod, as the machine need not have kmod.
load_modules() {
    for m in drivers/net/slip/slhc lib/crc-ccitt drivers/net/ppp/ppp_generic drivers/net/ppp/ppp_async \
        drivers/net/ppp/ppp_synctty drivers/net/ppp/pppox net/ipv4/gre drivers/net/ppp/pptp \
        drivers/net/veth drivers/net/tun drivers/net/dummy net/ipv6/ipv6 net/ipv4/udp_tunnel \
        net/ipv6/ip6_udp_tunnel net/l2tp/l2tp_core net/l2tp/l2tp_ppp lib/crypto/libarc4 \
        drivers/net/ppp/ppp_mppe; do
        busybox insmod "$M/$m.ko" 2>&1 | grep -v 'File exists' | sed "s|^|insmod $m: |"
    done
    [ -c /dev/ppp ] || mknod /dev/ppp c 108 0
}

# The two namespaces, and behind the server a network of two blocks: 10.20.0.0/24,
# which the route table covers, and 10.30.0.0/24, which it does not.
make_netns() {
    ip link set lo up
    ip netns add srv
    ip netns add cli
    ip link add v0 type veth peer name v1
    ip link set v0 netns srv
    ip link set v1 netns cli
    ip -n srv addr add 192.0.2.1/24 dev v0; ip -n srv link set v0 up; ip -n srv link set lo up
    ip -n cli addr add 192.0.2.2/24 dev v1; ip -n cli link set v1 up; ip -n cli link set lo up
    ip -n srv link add behind type dummy
    ip -n srv addr add 10.20.0.1/24 dev behind
    ip -n srv addr add 10.30.0.1/24 dev behind
    ip -n srv link set behind up
}

# pptpd and xl2tpd log to syslog only.
start_syslog() { busybox syslogd -O /run/syslog; }

# The test account: alice / s3cret, on both servers (server names pptpd, l2tpd).
write_secrets() {
    printf 'alice pptpd "s3cret" *\nalice l2tpd "s3cret" *\n' > /etc/ppp/chap-secrets
    chmod 600 /etc/ppp/chap-secrets
}

# PPTP server (10.10.0.1, clients from 10.10.0.100). $1: its MPPE policy line.
start_pptpd() {
    printf 'option /run/pptpd-options\nlocalip 10.10.0.1\nremoteip 10.10.0.100-110\n' > /run/pptpd.conf
    [ "${HOLD:-0}" = 1 ] && { make_held_pppd; echo 'ppp /run/pppd-held' >> /run/pptpd.conf; }
    printf 'name pptpd\nrefuse-pap\nrefuse-chap\nrefuse-mschap\nrequire-mschap-v2\nnodefaultroute\nnobsdcomp\nnodeflate\nnovj\nnovjccomp\nlogfile /run/srv-pptp.log\n%s\n' \
        "${1:-require-mppe-128}" > /run/pptpd-options
    ip netns exec srv pptpd -c /run/pptpd.conf -p /run/pptpd.pid > /run/pptpd.out 2>&1
}

# L2TP server, xl2tpd as LNS (10.10.1.1, clients from 10.10.1.100), plain L2TP.
# No "lock" in its pppd options: that is a serial-line option, which pppd
# with the L2TP plugin refuses before it starts. $1: its MPPE policy line.
start_l2tp_server() {
    mkdir -p /run/xl2tpd
    cat > /run/xl2tpd-srv.conf << 'CONF'
[global]
port = 1701
[lns default]
ip range = 10.10.1.100-10.10.1.110
local ip = 10.10.1.1
require chap = yes
refuse pap = yes
require authentication = yes
name = l2tpd
pppoptfile = /run/l2tp-options
length bit = yes
CONF
    printf 'name l2tpd\nrefuse-pap\nrefuse-chap\nrefuse-mschap\nrequire-mschap-v2\nnodefaultroute\nnobsdcomp\nnodeflate\nnovj\nnovjccomp\nlogfile /run/srv-l2tp.log\n%s\n' \
        "${1:-require-mppe-128}" > /run/l2tp-options
    ip netns exec srv xl2tpd -c /run/xl2tpd-srv.conf -p /run/xl2tpd-srv.pid -C /run/xl2tpd-srv.ctl \
        > /run/xl2tpd-srv.out 2>&1
}

# The remote-access service (pppd backend) in the client namespace, where
# its tunnels come up; its registry is /run/zavtrel/registry. $1: the L2TP
# time-out.
setup_rasdial() {
    mkdir -p /run/u
    chmod 700 /run/u
    printf '[backend]\r\nname=pppd\r\n[pppd]\r\ntimeout=%s\r\n' "${1:-30}" > /run/rasd.ini
    ip netns exec cli "$BIN/zavtrel-rasd" --group 64123 --config /run/rasd.ini 2> /run/rasd.log &
    n=100
    while [ ! -S /run/zavtrel/rasd.sock ] && [ $n -gt 0 ]; do sleep 0.1; n=$((n - 1)); done
    export XDG_RUNTIME_DIR=/run/u
}

# A phonebook entry with some keys replaced: $1 entry, then KEY=VALUE pairs.
# Prints the copy's path.
book_with() {
    entry=$1; shift
    mkdir -p /run/books
    cp "$BOOKS/$entry" "/run/books/$entry.$$"
    for kv in "$@"; do
        sed -i "s/^${kv%%=*}=.*\r\$/$kv\r/" "/run/books/$entry.$$"
    done
    echo "/run/books/$entry.$$"
}

# rasdial ENTRY USER PASSWORD PHONE [PHONEBOOK], the password on standard
# input as the client gives it. Sets R_RC, R_MS and R_OUT.
rasdial_dial() {
    t0=$(now_ms)
    R_OUT=$(printf '%s\n' "$3" | ip netns exec cli timeout 200 "$RASDIAL" "$1" "$2" '*' \
        "/PHONEBOOK:${5:-$BOOKS/$1}" "/PHONE:$4" 2>&1)
    R_RC=$?
    R_MS=$(($(now_ms) - t0))
}

# ---- processes, by /proc and the namespaces (process starts are slow in UML) ----
# pids in namespace $1 whose command name is one of $2..
pids_in() {
    ns=$1; shift
    for p in $(ip netns pids "$ns" 2> /dev/null); do
        { read -r c < "/proc/$p/comm"; } 2> /dev/null || continue
        for n in "$@"; do [ "$c" = "$n" ] && { echo "$p"; break; }; done
    done
}
kill_in() {
    sig=$1 ns=$2; shift 2
    for p in $(pids_in "$ns" "$@"); do kill "-$sig" "$p" 2> /dev/null; done
}
# waits (at most $1 tenths of a second) until no live process named $3.. is in namespace $2
wait_none_in() {
    n=$1 ns=$2; shift 2
    while [ "$n" -gt 0 ]; do
        live=
        for p in $(pids_in "$ns" "$@"); do
            st=$(sed -n 's/^State:\t\(.\).*/\1/p' "/proc/$p/status" 2> /dev/null)
            [ -n "$st" ] && [ "$st" != Z ] && live="$live $p"
        done
        [ -z "$live" ] && return 0
        sleep 0.1; n=$((n - 1))
    done
    return 1
}
stop_servers() {
    kill_in KILL srv pptpd pptpctrl pppd xl2tpd
    wait_none_in 50 srv pptpd pptpctrl pppd xl2tpd
    rm -f /run/pptpd.pid /run/xl2tpd-srv.pid
}
stop_clients() {
    kill_in TERM cli pppd xl2tpd pptp rasdial
    wait_none_in 60 cli pppd xl2tpd pptp rasdial || kill_in KILL cli pppd xl2tpd pptp rasdial
    wait_none_in 20 cli pppd xl2tpd pptp rasdial
    rm -f /run/zavtrel/registry/conn-*
}
# HOLD=1 with the PPTP server's start: the server's pppd stops itself before it starts,
# so the client is in the middle of its dial, tunnel and call up, sending LCP
# requests, when the test makes the server go away.
make_held_pppd() {
    cp /usr/sbin/pppd /run/pppd.real
    printf '#!/bin/sh\necho $$ > /run/held.tmp && mv /run/held.tmp /run/held\nkill -STOP $$\nexec /run/pppd.real "$@"\n' > /run/pppd-held
    chmod 755 /run/pppd-held
    rm -f /run/held
}
wait_file() { n=$2; while [ "$n" -gt 0 ]; do [ -s "$1" ] && return 0; sleep 0.1; n=$((n - 1)); done; return 1; }

# ---- the client side's state ----
ppp_address() { ip -n cli -4 -o addr show 2> /dev/null | sed -n 's/.* ppp[0-9]* *inet \([0-9.]*\).*/\1/p' | head -1; }
ppp_device() { ip -n cli -o link show 2> /dev/null | sed -n 's/^[0-9]*: \(ppp[0-9]*\)[:@].*/\1/p' | head -1; }
records() { ls /run/zavtrel/registry/ 2> /dev/null | grep -c '^conn-'; }
tx_bytes() { ip netns exec cli cat "/sys/class/net/$1/statistics/tx_bytes" 2> /dev/null || echo 0; }

save_logs() {
    d=/run/out/logs
    mkdir -p "$d"
    cp /run/syslog /run/*.log /run/*.out "$d/" 2> /dev/null
    true
}
