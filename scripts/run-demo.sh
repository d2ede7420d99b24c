#!/usr/bin/env bash
# Installs what is missing, builds, starts the reference service on 127.0.0.1
# and the client against it: log-in with the demo account, automatic node
# choice, a simulated tunnel and its routes. As root, the remote-access
# service runs as root and the client as an unprivileged member of the
# service's group, all in a network namespace and a private /run/zavtrel of
# their own, so the simulated tunnel and its routes never touch this
# machine's network. Without a display the client runs under Xvfb and a
# screenshot is saved.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bin="$root/build/default/bin"
demo_user=64124 demo_group=64123

if [ -z "${ZAVTREL_DEMO_INSIDE:-}" ]; then
  bash scripts/install-deps.sh
  cmake --preset default >/dev/null
  cmake --build --preset default
  if [ "$(id -u)" -eq 0 ] && ip netns add "zavtrel-demo-$$" 2>/dev/null; then
    ns="zavtrel-demo-$$"
    ip -n "$ns" link set lo up
    made_dir=no
    [ -d /run/zavtrel ] || { mkdir -p /run/zavtrel && made_dir=yes; }
    echo "Running in network namespace $ns: the simulated tunnel and its routes stay in there."
    status=0
    # `ip netns exec` gives the demo a mount namespace of its own too.
    ip netns exec "$ns" env ZAVTREL_DEMO_INSIDE=1 bash "$0" "$@" || status=$?
    ip netns del "$ns" 2>/dev/null || true
    [ $made_dir = yes ] && rmdir /run/zavtrel 2>/dev/null
    exit $status
  fi
  echo "Not root: the remote-access service cannot run, so connecting ends with"
  echo "\"在此计算机上的配置错误不能进行此连接。\" (error 711). Everything before the dial works."
fi
export QTWEBENGINE_DISABLE_SANDBOX=1

as_user=()
app="$bin"
rasd=
if [ -n "${ZAVTREL_DEMO_INSIDE:-}" ]; then
  mount -t tmpfs -o mode=0755 zavtrel-demo /run/zavtrel
  # The service's settings: the simulated backend, always succeeding.
  conf=$(mktemp -d)
  printf '[backend]\r\nname=simulate\r\nscenario=demo-scenario.ini\r\n' >"$conf/rasd.ini"
  printf '[scenario]\r\nresult=success\r\n' >"$conf/demo-scenario.ini"
  "$bin/zavtrel-rasd" --group "$demo_group" --config "$conf/rasd.ini" 2>"$conf/rasd.log" &
  rasd=$!
  # The nodes' echoes come back for an unprivileged user too.
  sysctl -qw net.ipv4.ping_group_range="0 2147483647"
  # The client's own folder, which its user may write (settings, downloads).
  app="$root/build/demo-app"
  mkdir -p "$app"
  cp -ru "$bin/zavtrel" "$bin/zavtrel_web.so" "$bin/res" "$bin/ruffle" "$app/"
  chown -R "$demo_user:$demo_user" "$app"
  home=$(mktemp -d)
  chown "$demo_user:$demo_user" "$home"
  chmod 700 "$home"
  as_user=(setpriv --reuid="$demo_user" --regid="$demo_user" --groups="$demo_group" --
    env HOME="$home" XDG_RUNTIME_DIR="$home" TMPDIR="$home")
  echo "The remote-access service runs as root; the client as user $demo_user in group $demo_group."
fi
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"

# First run: remember the demo account, log in and connect automatically.
settings="$app/zvtad.INI"
if [ ! -e "$settings" ]; then
  printf '[Main]\r\nUser=3B3F1FA5E90F529F\r\nPass=28D1F9FA43763FC4\r\nSaveInfo=1\r\nSavePwd=1\r\nSaveLogin=1\r\nAutoConn=1\r\n' >"$settings"
  [ -n "$rasd" ] && chown "$demo_user:$demo_user" "$settings"
fi

port=18080
xvfb=
cleanup() {
  [ -n "${client:-}" ] && kill "$client" 2>/dev/null || true
  kill "$service" 2>/dev/null || true
  # The service hangs up what the demo dialed when it stops.
  [ -n "$rasd" ] && kill "$rasd" 2>/dev/null || true
  pkill -P $$ trayer 2>/dev/null || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
  wait 2>/dev/null || true
}
trap cleanup EXIT
"$bin/zavtrel-service" --port "$port" &
service=$!
for _ in $(seq 50); do
  bash -c "exec 3<>/dev/tcp/127.0.0.1/$port" 2>/dev/null && break
  sleep 0.1
done

echo "Demo accounts: demo/demo123 (VIP), free/free123 (free); see README.md."
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "Starting the client on $DISPLAY (exit it from its tray menu, 退出(&X))."
  if [ -n "$rasd" ] && [ -r "${XAUTHORITY:-$HOME/.Xauthority}" ]; then
    cp "${XAUTHORITY:-$HOME/.Xauthority}" "$home/.Xauthority"
    chown "$demo_user" "$home/.Xauthority"
    as_user+=(XAUTHORITY="$home/.Xauthority")
  fi
  "${as_user[@]}" env PATH="$bin:$PATH" DISPLAY="$DISPLAY" "$app/zavtrel"
  exit 0
fi

display=:57
Xvfb "$display" -screen 0 1024x720x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
# A notification area, so the connected client can hide into it.
trayer --edge top --align right --widthtype pixel --width 40 --height 24 >/dev/null 2>&1 &
"${as_user[@]}" env PATH="$bin:$PATH" DISPLAY="$DISPLAY" "$app/zavtrel" &
client=$!
sleep "${ZAVTREL_DEMO_SECONDS:-6}"
# Once connected the window is in the tray: a left click on the icon brings it back.
xdotool mousemove 1004 12 click 1 2>/dev/null || true
sleep 1
shot="$root/build/demo-screenshot.png"
import -window root "$shot"
if [ -n "$rasd" ]; then
  echo "Routes through the simulated tunnel: $(ip -4 route show | grep -c 'metric 999' || true)"
  echo "Connections, as the client's user sees them:"
  "${as_user[@]}" "$bin/rasdial" || true
fi
echo "No display here: the client ran under Xvfb. Screenshot: $shot"
