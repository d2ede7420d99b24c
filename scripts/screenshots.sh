#!/usr/bin/env bash
# Takes the README's screenshots (docs/screenshots/*.png): every window of the
# client against the reference service, on a private X display with a window
# manager and a notification area, driven with xdotool as a user would.
# As root everything runs in a network namespace of its own
# (tests/support/run_in_netns.sh) and the tunnel is
# the remote-access service's simulated one, as in scripts/run-demo.sh; without
# root the connected window is left out. Rerun it after a change to a window.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bin="$root/build/default/bin"
out="$root/docs/screenshots"
demo_user=64124 demo_group=64123

if [ -z "${ZAVTREL_SHOTS_INSIDE:-}" ]; then
  bash scripts/install-deps.sh
  cmake --preset default >/dev/null
  cmake --build --preset default --target zavtrel zavtrel-service zavtrel-rasd rasdial
  if [ "$(id -u)" -eq 0 ]; then
    exec bash tests/support/run_in_netns.sh env ZAVTREL_SHOTS_INSIDE=1 bash "$0" "$@"
  fi
  echo "Not root: no remote-access service, so the connected window is left out."
fi
export QTWEBENGINE_DISABLE_SANDBOX=1

work=$(mktemp -d)
chmod 755 "$work"
as_user=()
rasd=
app="$work/app"
mkdir -p "$app" "$out"
cp -r "$bin/zavtrel" "$bin/zavtrel_web.so" "$bin/res" "$bin/ruffle" "$app/"
export XDG_RUNTIME_DIR="$work/runtime" TMPDIR="$work/tmp" HOME="$work/home"
mkdir -p -m 700 "$XDG_RUNTIME_DIR" "$TMPDIR" "$HOME"
if [ -n "${ZAVTREL_SHOTS_INSIDE:-}" ]; then
  printf '[backend]\r\nname=simulate\r\nscenario=shots-scenario.ini\r\n' >"$work/rasd.ini"
  printf '[scenario]\r\nresult=success\r\n' >"$work/shots-scenario.ini"
  "$bin/zavtrel-rasd" --group "$demo_group" --config "$work/rasd.ini" 2>"$work/rasd.log" &
  rasd=$!
  chown -R "$demo_user:$demo_user" "$app" "$XDG_RUNTIME_DIR" "$TMPDIR" "$HOME"
  as_user=(setpriv --reuid="$demo_user" --regid="$demo_user" --groups="$demo_group" --)
fi

display=:58
xvfb= wm= tray= service= client=
cleanup() {
  for pid in $client $service $rasd $tray $wm $xvfb; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 &
wm=$!
for _ in $(seq 100); do wmctrl -m >/dev/null 2>&1 && break; sleep 0.1; done
trayer --edge top --align right --widthtype pixel --width 24 --height 24 --SetDockType true >/dev/null 2>&1 &
tray=$!
"$bin/zavtrel-service" --port 18080 >/dev/null 2>&1 &
service=$!
for _ in $(seq 50); do
  bash -c "exec 3<>/dev/tcp/127.0.0.1/18080" 2>/dev/null && break
  sleep 0.1
done

# The first visible window of the client whose title matches, waited for.
window() {
  local id
  for _ in $(seq 200); do
    id=$(xdotool search --all --onlyvisible --pid "$client" --name "$1" 2>/dev/null | head -1 || true)
    [ -n "$id" ] && { echo "$id"; return; }
    sleep 0.1
  done
  echo "no window \"$1\"" >&2
  return 1
}
# A window with its frame, once it has settled.
shoot() {
  sleep "${3:-1}"
  import -frame -window "$2" "$out/$1.png"
  echo "$out/$1.png"
}
# A rectangle of the screen.
shoot_area() {
  import -window root -crop "$2" +repage "$out/$1.png"
  echo "$out/$1.png"
}
click_in() {
  xdotool mousemove --window "$1" "$2" "$3" click "${4:-1}"
}
start_client() {
  "${as_user[@]}" env PATH="$bin:$PATH" "$app/zavtrel" >"$work/client.log" 2>&1 &
  client=$!
}
stop_client() {
  kill "$client" 2>/dev/null || true
  wait "$client" 2>/dev/null || true
  client=
}
# Saved credentials (enciphered, as the client writes them) and the choices.
save_login() {
  local user=$1 pass=$2 auto_login=$3
  printf '[Main]\r\nUser=%s\r\nPass=%s\r\nSaveInfo=1\r\nSavePwd=1\r\nSaveLogin=%s\r\nAutoConn=0\r\n' \
    "$user" "$pass" "$auto_login" >"$app/zvtad.INI"
  [ ${#as_user[@]} -gt 0 ] && chown "$demo_user:$demo_user" "$app/zvtad.INI"
  return 0
}
demo_user_hex=3B3F1FA5E90F529F demo_pass_hex=28D1F9FA43763FC4

# The login panel, then the VIP account: its news window, its panel, the
# advertisement ten seconds after the login, the two dialogs, the connection.
save_login "$demo_user_hex" "$demo_pass_hex" 0
start_client
main=$(window 'V2.9')
shoot login-panel "$main" 2
xdotool windowactivate --sync "$main" key Return
news=$(window '资讯')
shoot news-window "$news" 4
wmctrl -i -c "$news"
# The browser engine in the panel made the window anew: find it again.
main=$(window 'V2.9')
xdotool windowactivate --sync "$main"
shoot vip-panel "$main" 2
# The advertisement: the client's window of 331 x 228 without a frame.
popup=
for _ in $(seq 150); do
  for id in $(xdotool search --all --onlyvisible --pid "$client" --name '' 2>/dev/null); do
    xwininfo -id "$id" | grep -q 'Width: 331' && xwininfo -id "$id" | grep -q 'Height: 228' && popup=$id
  done
  [ -n "$popup" ] && break
  sleep 0.1
done
if [ -n "$popup" ]; then
  shoot ad-popup "$popup" 3
else
  echo "the advertisement did not show" >&2
fi
click_in "$main" 224 200 # 设置 of the node
chooser=$(window '选择节点')
shoot node-chooser "$chooser" 3
wmctrl -i -c "$chooser"
click_in "$main" 224 228 # 设置 of the connection mode
mode=$(window '连接模式')
shoot connection-mode "$mode" 1
wmctrl -i -c "$mode"
if [ -n "$rasd" ]; then
  click_in "$main" 112 493 # 连接
  # Connected, the window goes into the notification area; a click brings it back.
  sleep 4
  xdotool mousemove 1012 12 click 1
  main=$(window 'V2.9')
  shoot connected "$main" 2
fi
# The notification area's menu under its icon, the window put away.
wmctrl -i -c "$(window 'V2.9')"
sleep 1
if [ -n "$rasd" ]; then
  # The icon's tip tells the state, the node and the counters.
  xdotool mousemove 1012 60
  sleep 0.5
  for x in 1008 1010 1012; do xdotool mousemove "$x" 12; sleep 0.3; done
  sleep 2
  shoot_area tray-tip 300x100+724+0
fi
xdotool mousemove 1012 12 click 3
sleep 1
shoot_area tray-menu 150x170+874+0
xdotool key Escape
stop_client

# A free account, typed in.
rm -f "$app/zvtad.INI"
start_client
main=$(window 'V2.9')
xdotool windowactivate --sync "$main"
click_in "$main" 150 172 # the account field
xdotool type --delay 30 free
xdotool key Tab
xdotool type --delay 30 free123
xdotool key Return
news=$(window '资讯' 2>/dev/null || true)
[ -n "$news" ] && wmctrl -i -c "$news"
main=$(window 'V2.9')
xdotool windowactivate --sync "$main"
shoot free-panel "$main" 2
stop_client
