#!/bin/sh
# The whole road through a real PPTP tunnel: the client (offscreen) in the
# client namespace with saved credentials and auto-connect, pptpd and the
# reference service in the server namespace (guest_road_test.cpp).
. "$ZV_SRC/tests/guest/guest-lib.sh"
load_modules
start_syslog
make_netns
write_secrets
start_pptpd require-mppe-128
start_l2tp_server require-mppe-128
setup_rasdial 30
mkdir -p /run/svc && cp -r "$SRC/tools/service/data/." /run/svc/
ip netns exec srv "$BIN/zavtrel-service" --data /run/svc --port 18080 --address 192.0.2.1 > /run/service.out 2>&1 &
sleep 1
# Fontconfig wants a cache it can write; the root file system is read-only.
export XDG_CACHE_HOME=/tmp/cache HOME=/tmp QT_QPA_PLATFORM=offscreen
# The guest has no /dev/shm: the engine keeps its shared memory in /tmp.
export QTWEBENGINE_CHROMIUM_FLAGS=--disable-dev-shm-usage
ip netns exec cli "$BIN/guest_road_tests"
status=$?
save_logs
exit $status
