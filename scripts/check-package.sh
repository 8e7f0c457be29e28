#!/usr/bin/env bash
# Builds the Debian package (reusing build/) and checks it before anyone installs it: the layout
# and links, the conffile, the version, that apt can satisfy every dependency from the Debian
# archives, the desktop entry and metainfo, that the linked program starts, and lintian.
#   scripts/check-package.sh
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh dpkg-dev file lintian appstream desktop-file-utils
deb=$(scripts/package.sh | tail -n 1)
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"

problems=0
problem() {
    echo "check-package: $*" >&2
    problems=$((problems + 1))
}

version=$(sed -n 's/^set(POSLING_VERSION_TEXT "\(.*\)")$/\1/p' CMakeLists.txt)
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || problem "package version is not $version"

for program in posling posling-virtual-printer; do
    [ -x "$root/usr/lib/posling/$program" ] || problem "no program /usr/lib/posling/$program"
    [ "$(readlink "$root/usr/bin/$program")" = "../lib/posling/$program" ] ||
        problem "/usr/bin/$program is not a link to ../lib/posling/$program"
done
rule=/etc/udev/rules.d/70-posling-usb-printers.rules
for file in /usr/lib/posling/test.bmp "$rule" \
    /usr/share/applications/com.tarvo.posling.desktop /usr/share/metainfo/com.tarvo.posling.metainfo.xml \
    /usr/share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128}/apps/posling.png \
    /usr/share/man/man1/posling.1.gz /usr/share/man/man1/posling-virtual-printer.1.gz \
    /usr/share/doc/posling/{copyright,changelog.gz,examples/devices.ini} /usr/share/lintian/overrides/posling \
    /usr/share/doc/posling/examples/{smoke,property-report,barcode-sweep,fault-drill}.plan; do
    [ -f "$root$file" ] || problem "no file $file"
done
grep -q 'TAG+="uaccess"' "$root$rule" || problem "the udev rule gives no uaccess"
dpkg-deb -I "$deb" conffiles 2>/dev/null | grep -qx "$rule" || problem "$rule is not a conffile"

# Every dependency must come from an archive apt knows, not from this machine alone.
unknown=$(dpkg-deb -f "$deb" Depends | tr ',|' '\n\n' | sed 's/(.*//; s/:any//; s/[[:space:]]//g; /^$/d' |
    sort -u | while read -r name; do [ -n "$(apt-cache madison "$name")" ] || echo "$name"; done)
[ -z "$unknown" ] || problem "in no Debian archive: $unknown"
apt-get install --simulate --quiet "./$deb" >/dev/null 2>&1 || problem "apt cannot install $deb"

desktop="$root/usr/share/applications/com.tarvo.posling.desktop"
desktop-file-validate "$desktop" || problem "the desktop entry is not valid"
grep -qx "X-Posling-Version=$version" "$desktop" || problem "the desktop entry's version is not $version"
appstreamcli validate --no-net --pedantic "$root/usr/share/metainfo/com.tarvo.posling.metainfo.xml" >/dev/null ||
    problem "the metainfo is not valid"

# The links run the programs, which find Qt and their libraries without help.
[ "$("$root/usr/bin/posling" --version)" = "Posling $version" ] || problem "posling --version is not $version"
QT_QPA_PLATFORM=offscreen POSLING_VIRTUAL_PANEL=0 "$root/usr/bin/posling" --quit-after-start ||
    problem "posling does not start"
"$root/usr/bin/posling-virtual-printer" --help >/dev/null || problem "posling-virtual-printer does not start"

# Each override states its reason in the comment above it.
awk '/^#/ { reason = 1; next } /^[[:space:]]*$/ { reason = 0; next } !reason { exit 1 }' \
    "$root/usr/share/lintian/overrides/posling" || problem "a lintian override has no reason above it"
lintian --fail-on error,warning "$deb" || problem "lintian finds faults"

[ "$problems" -eq 0 ] || exit 1
echo "check-package: $deb is fine"
