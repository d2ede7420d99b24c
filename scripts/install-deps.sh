#!/usr/bin/env bash
# Installs every Debian package the client, its tools and its tests need.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git clang-format-14
  qt6-base-dev qt6-base-dev-tools libqt6svg6 qt6-webengine-dev qt6-webengine-dev-tools
  libgl-dev libxkbcommon-dev libx11-dev
  libcurl4-openssl-dev nettle-dev libmnl-dev libcpp-httplib-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-wqy-microhei qt6-translations-l10n
  xvfb xauth x11-utils trayer xdotool imagemagick
  iproute2 iputils-ping procps ppp pptp-linux openbox wmctrl
  user-mode-linux pptpd xl2tpd busybox-static
  lintian desktop-file-utils appstream librsvg2-bin
)

if [ "$(id -u)" -ne 0 ]; then
  SUDO=sudo
else
  SUDO=
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ "${#missing[@]}" -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
[ -d "$(dirname "$0")/../src/web/player/node_modules" ] || (cd "$(dirname "$0")/../src/web/player" && npm ci --no-audit --no-fund)
