#!/bin/sh
# Real failures end with the number of the client's table that fits them,
# as pppd, pptp and xl2tpd really behave (tools/rasdial/README.md has the
# table). PPTP cases use TUVEKP set to PPTP only, so that no L2TP fallback
# answers for it.
. "$ZV_SRC/tests/guest/guest-lib.sh"
load_modules
start_syslog
make_netns
write_secrets
setup_rasdial 30
PPTP=$(book_with TUVEKP VpnStrategy=1)
L2TP=$BOOKS/TUVEKL

# expect ID NUMBER: the last dial ended with "Remote Access error NUMBER".
expect() {
    echo "$1: exit $R_RC after $R_MS ms: $R_OUT"
    said=no
    case "$R_OUT" in *"Remote Access error $2 "*) [ "$R_RC" != 0 ] && said=yes ;; esac
    check "$1 -> $2" [ $said = yes ]
    stop_clients
}
fresh() { stop_clients; stop_servers; }

fresh; start_pptpd require-mppe-128; sleep 1
rasdial_dial TUVEKP alice wrong 192.0.2.1 "$PPTP"; expect "PPTP wrong password" 691
fresh
rasdial_dial TUVEKP alice s3cret 192.0.2.1 "$PPTP"; expect "PPTP nothing listening" 800
fresh; start_pptpd nomppe; sleep 1
rasdial_dial TUVEKP alice s3cret 192.0.2.1 "$PPTP"; expect "PPTP server refuses encryption" 742
fresh; HOLD=1; start_pptpd require-mppe-128; HOLD=0; sleep 1
printf 's3cret\n' | ip netns exec cli "$RASDIAL" TUVEKP alice '*' "/PHONEBOOK:$PPTP" /PHONE:192.0.2.1 > /run/r.out 2>&1 &
dialer=$!
t0=$(now_ms)
wait_file /run/held 150 && kill_in KILL srv pptpd pptpctrl pppd-held pppd.real sh
wait $dialer; R_RC=1; R_OUT=$(cat /run/r.out); R_MS=$(($(now_ms) - t0))
expect "PPTP server gone in the middle" 800

fresh; start_l2tp_server require-mppe-128; sleep 1
rasdial_dial TUVEKL alice wrong 192.0.2.1 "$L2TP"; expect "L2TP wrong password" 691
fresh
rasdial_dial TUVEKL alice s3cret 192.0.2.1 "$L2TP"; expect "L2TP nothing listening" 800
fresh; start_l2tp_server nomppe; sleep 1
rasdial_dial TUVEKL alice s3cret 192.0.2.1 "$L2TP"; expect "L2TP server refuses encryption" 742
fresh; start_l2tp_server require-mppe-128; sleep 1
# The server's side of the call goes away while the call is being set up: its
# pppd is killed as soon as it runs, and its xl2tpd clears the call.
printf 's3cret\n' | ip netns exec cli "$RASDIAL" TUVEKL alice '*' "/PHONEBOOK:$L2TP" /PHONE:192.0.2.1 > /run/r.out 2>&1 &
dialer=$!
t0=$(now_ms)
n=150; while [ -z "$(pids_in srv pppd)" ] && [ $n -gt 0 ]; do sleep 0.05; n=$((n - 1)); done
kill_in KILL srv pppd
wait $dialer; R_RC=1; R_OUT=$(cat /run/r.out); R_MS=$(($(now_ms) - t0))
expect "L2TP server gone in the middle" 628
save_logs
finish
