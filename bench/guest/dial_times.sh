#!/bin/sh
# Dial times inside the guest, RUNS each (default 5), medians in ms:
#   rasdial   until it has printed "Command completed successfully."
#   direct    pppd (+ pptp, or + xl2tpd for L2TP) run by hand with the options
#             rasdial builds, until the link has its address
# Run from the build: tests/guest/run_guest_test.sh build/default/bin OUT \
#   ../../bench/guest/dial_times.sh -m 256M -t 900
. "$ZV_SRC/tests/guest/guest-lib.sh"
load_modules; start_syslog; make_netns; write_secrets
start_pptpd require-mppe-128; start_l2tp_server require-mppe-128; setup_rasdial 30
RUNS=${RUNS:-5}
: > /run/times
sleep 1
record() { echo "$1 $2" >> /run/times; }
settle() { wait_none_in 100 cli pppd xl2tpd pptp; }
wait_address() { n=$1; while [ -z "$(ppp_address)" ] && [ $n -gt 0 ]; do sleep 0.05; n=$((n - 1)); done; }
OPTS="noauth nobsdcomp nodeflate require-mppe refuse-pap refuse-chap refuse-eap novj novjccomp nodefaultroute maxfail 1"
printf 'user "alice"\npassword "s3cret"\n' > /run/cred; chmod 600 /run/cred
i=1
while [ $i -le "$RUNS" ]; do
    for entry in TUVEKP TUVEKL; do
        settle
        rasdial_dial $entry alice s3cret 192.0.2.1
        [ "$R_RC" = 0 ] && record "rasdial_$entry" "$R_MS"
        ip netns exec cli "$RASDIAL" $entry /DISCONNECT > /dev/null
    done
    settle
    t0=$(now_ms)
    ip netns exec cli pppd pty "pptp 192.0.2.1 --nolaunchpppd" file /run/cred linkname direct $OPTS updetach > /dev/null 2>&1
    [ $? = 0 ] && record direct_pptp $(($(now_ms) - t0))
    kill -TERM "$(head -1 /run/ppp-direct.pid 2> /dev/null)" 2> /dev/null
    settle
    mkdir -p /run/l2tpc; rm -f /run/l2tpc/*
    { cat /run/cred; echo "linkname direct"; echo "$OPTS"; } > /run/l2tpc/options; chmod 600 /run/l2tpc/options
    printf '[lac zavtrel]\nlns = 192.0.2.1\npppoptfile = /run/l2tpc/options\nautodial = yes\nredial = no\nrequire authentication = no\nlength bit = yes\n' > /run/l2tpc/xl2tpd.conf
    t0=$(now_ms)
    ip netns exec cli xl2tpd -D -c /run/l2tpc/xl2tpd.conf -p /run/l2tpc/pid -C /run/l2tpc/control > /dev/null 2>&1 &
    xl2tpd=$!
    wait_address 400
    [ -n "$(ppp_address)" ] && record direct_l2tp $(($(now_ms) - t0))
    kill -TERM $xl2tpd
    i=$((i + 1))
done
settle
median() { sort -n | awk '{ v[NR] = $1 } END { if (NR) print v[int((NR + 1) / 2)]; else print "-" }'; }
for k in rasdial_TUVEKP direct_pptp rasdial_TUVEKL direct_l2tp; do
    vals=$(awk -v k=$k '$1 == k { print $2 }' /run/times)
    echo "$k median $(echo "$vals" | grep . | median) ms of: $(echo $vals)"
done
exit 0
