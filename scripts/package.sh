#!/usr/bin/env bash
# Builds the Debian package build/platewell_<version>_amd64.deb with CPack, installing what is
# missing first.
#   scripts/package.sh          builds the package
#   scripts/package.sh --check  also validates the desktop entry and the AppStream metadata, runs
#                               lintian (no error allowed), unpacks the package into a temporary
#                               folder (nothing is installed) and runs the program from there
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-missing.sh dpkg-dev file desktop-file-utils appstream lintian

scripts/setup.sh build -DCMAKE_INSTALL_PREFIX=/usr
rm -f build/platewell_*.deb
(cd build && cpack -G DEB >/dev/null)
deb=$(ls build/platewell_*_"$(dpkg --print-architecture)".deb)
echo "package: $deb"
[ "${1:-}" = "--check" ] || exit 0

desktop-file-validate data/org.platewell.Platewell.desktop
appstreamcli validate --no-net build/org.platewell.Platewell.metainfo.xml
# Warnings are listed; an error fails the check.
lintian --fail-on error --tag-display-limit 0 "$deb"

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
for file in usr/bin/platewell usr/share/applications/org.platewell.Platewell.desktop \
    usr/share/metainfo/org.platewell.Platewell.metainfo.xml \
    usr/share/icons/hicolor/scalable/apps/org.platewell.Platewell.svg \
    usr/share/icons/hicolor/48x48/apps/org.platewell.Platewell.png \
    usr/share/icons/hicolor/256x256/apps/org.platewell.Platewell.png \
    usr/share/man/man1/platewell.1.gz usr/share/doc/platewell/PWmanual.pdf \
    "usr/share/doc/platewell/Nutritive Value of Foods.pdf"; do
    [ -s "$unpacked/$file" ] || { echo "missing from the package: $file"; exit 1; }
done
"$unpacked/usr/bin/platewell" --version
"$unpacked/usr/bin/platewell" --help >/dev/null
# A first start on a new folder creates the food table; the window then waits, so it is ended.
home="$unpacked/home"
QT_QPA_PLATFORM=offscreen timeout 20 "$unpacked/usr/bin/platewell" --home "$home" || [ $? -eq 124 ]
[ -s "$home/foods.db" ] || { echo "the unpacked program made no food table"; exit 1; }
echo "package: checked"
