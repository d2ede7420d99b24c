#!/bin/sh
# Every phonebook template dials for real through rasdial's pppd backend:
# TUVEKP over PPTP, TUVEKL and TUVEKX over L2TP. Each gets a tunnel address
# the client takes for a tunnel (10.x), counters that move, a listing, and a
# /DISCONNECT that ends the link and its record.
. "$ZV_SRC/tests/guest/guest-lib.sh"
load_modules
start_syslog
make_netns
write_secrets
start_pptpd require-mppe-128
start_l2tp_server require-mppe-128
setup_rasdial 30
sleep 1

for entry in TUVEKP TUVEKL TUVEKX; do
    echo "===== $entry"
    rasdial_dial "$entry" alice s3cret 192.0.2.1
    echo "$R_OUT (exit $R_RC, $R_MS ms)"
    check "$entry dials" [ "$R_RC" = 0 ]
    check "$entry success line" [ "$R_OUT" = "Command completed successfully." ]
    address=$(ppp_address)
    device=$(ppp_device)
    check "$entry tunnel address $address in 10.x" sh -c "case '$address' in 10.*) true ;; *) false ;; esac"
    peer=10.10.0.1; [ "$entry" = TUVEKP ] || peer=10.10.1.1
    before=$(tx_bytes "$device")
    check "$entry traffic through the tunnel" ip netns exec cli ping -c 2 -W 2 -q "$peer"
    check "$entry counters move" [ "$(tx_bytes "$device")" -gt "$before" ]
    check "$entry listed" sh -c "ip netns exec cli '$RASDIAL' | grep -qx '$entry'"
    check "$entry one record" [ "$(records)" = 1 ]
    ip netns exec cli "$RASDIAL" "$entry" /DISCONNECT > /dev/null
    check "$entry disconnect" [ $? = 0 ]
    wait_none_in 80 cli pppd xl2tpd pptp
    check "$entry no pppd left" [ -z "$(pids_in cli pppd xl2tpd pptp)" ]
    check "$entry no record left" [ "$(records)" = 0 ]
    n=50; while [ -n "$(ppp_device)" ] && [ $n -gt 0 ]; do sleep 0.1; n=$((n - 1)); done
    check "$entry no link left" [ -z "$(ppp_device)" ]
done
save_logs
finish
