#!/usr/bin/env bash
# Builds the Debian package of the client, the dial tool and the
# remote-access service from the default build, checks it with lintian,
# desktop-file-validate and appstreamcli, and prints its path as its last
# line.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
version=2.9-1
arch=$(dpkg --print-architecture)
if [ -z "${ZAVTREL_PACKAGE_NO_BUILD:-}" ]; then
    cmake --preset default > /dev/null
    cmake --build --preset default >&2
fi

out="$root/build/package"
stage="$out/root"
rm -rf "$out"
mkdir -p "$stage"
DESTDIR="$stage" cmake --install build/default --prefix /usr --strip > /dev/null
prog=usr/lib/zavtrel
ln -s ../lib/zavtrel/zavtrel "$stage/usr/bin/zavtrel"
chmod 644 "$stage/$prog/zavtrel_web.so"

install -d "$stage/lib/systemd/system" "$stage/etc/zavtrel" "$stage/usr/share/applications" \
    "$stage/usr/share/metainfo" "$stage/usr/share/doc/zavtrel" "$stage/usr/share/icons/hicolor/scalable/apps"
install -m 644 tools/rasd/systemd/zavtrel-rasd.service tools/rasd/systemd/zavtrel-rasd.socket \
    "$stage/lib/systemd/system/"
install -m 644 packaging/rasd.ini "$stage/etc/zavtrel/rasd.ini"
install -m 644 packaging/net.zavtrel.Client.desktop "$stage/usr/share/applications/"
install -m 644 packaging/net.zavtrel.Client.metainfo.xml "$stage/usr/share/metainfo/"
install -m 644 packaging/zavtrel.svg "$stage/usr/share/icons/hicolor/scalable/apps/zavtrel.svg"
for size in 16 24 32 48 64 128 256; do
    dir="$stage/usr/share/icons/hicolor/${size}x${size}/apps"
    install -d "$dir"
    rsvg-convert -w "$size" -h "$size" -o "$dir/zavtrel.png" packaging/zavtrel.svg
    chmod 644 "$dir/zavtrel.png"
done
install -m 644 packaging/debian/copyright "$stage/usr/share/doc/zavtrel/copyright"
install -m 644 tools/rasd/README.md "$stage/usr/share/doc/zavtrel/README.md"
gzip -9n < packaging/debian/changelog > "$stage/usr/share/doc/zavtrel/changelog.Debian.gz"
chmod 644 "$stage/usr/share/doc/zavtrel/changelog.Debian.gz"
find "$stage" -type d -exec chmod 755 {} +

# What the programs link, as the packages that have it.
shl=$(mktemp -d)
mkdir "$shl/debian"
printf 'Source: zavtrel\n\nPackage: zavtrel\nArchitecture: any\n' > "$shl/debian/control"
shlibs=$(cd "$shl" && dpkg-shlibdeps -O -e"$stage/$prog/zavtrel" -e"$stage/$prog/zavtrel_web.so" \
    -e"$stage/usr/bin/rasdial" -e"$stage/usr/sbin/zavtrel-rasd" 2> /dev/null | sed -n 's/^shlibs:Depends=//p')
rm -rf "$shl"

install -d "$stage/DEBIAN"
install -m 755 packaging/debian/postinst packaging/debian/prerm packaging/debian/postrm "$stage/DEBIAN/"
echo /etc/zavtrel/rasd.ini > "$stage/DEBIAN/conffiles"
cat > "$stage/DEBIAN/control" << CONTROL
Package: zavtrel
Version: $version
Architecture: $arch
Maintainer: Zavtrel <packages@zavtrel.net>
Installed-Size: $(du -sk --exclude=DEBIAN "$stage" | cut -f1)
Depends: $shlibs, adduser, init-system-helpers (>= 1.54~), ppp, pptp-linux, xl2tpd, fonts-wqy-microhei, qt6-translations-l10n, libcurl4
Section: net
Priority: optional
Homepage: https://zavtrel.net/
Description: client of the Zavtrel relay service
 Logs a subscriber in to the Zavtrel service, picks the fastest relay node
 (or lets the user pick one), dials a PPTP or L2TP tunnel to it, routes the
 other carrier's address blocks through the tunnel and keeps the link up from
 the notification area. Shows the service's announcement, pages, news and
 advertisements.
 .
 Dialing and routes are done by the system service zavtrel-rasd, which
 members of the group "zavtrel" may use.
CONTROL
(cd "$stage" && find . -path ./DEBIAN -prune -o -type f -printf '%P\0' | sort -z | xargs -0 md5sum) \
    > "$stage/DEBIAN/md5sums"
chmod 644 "$stage/DEBIAN/control" "$stage/DEBIAN/conffiles" "$stage/DEBIAN/md5sums"

deb="$out/zavtrel_${version}_${arch}.deb"
dpkg-deb --root-owner-group -Zxz --build "$stage" "$deb" > /dev/null

desktop-file-validate "$stage/usr/share/applications/net.zavtrel.Client.desktop" >&2
appstreamcli validate --no-net "$stage/usr/share/metainfo/net.zavtrel.Client.metainfo.xml" >&2
if command -v lintian > /dev/null; then
    lintian --fail-on error "$deb" >&2 || { echo "lintian found errors" >&2; exit 1; }
fi
echo "$deb"
