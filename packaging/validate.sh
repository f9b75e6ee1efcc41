#!/usr/bin/env bash
# Checks the desktop entry, the AppStream metainfo and the Debian package: the first two must have
# no error or warning, lintian no error (its warnings are printed for the note).
#   packaging/validate.sh PACKAGE.deb
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
deb=${1:?usage: packaging/validate.sh PACKAGE.deb}
id=org.brelmont.kovu
status=0

echo "== desktop-file-validate $id.desktop"
out=$(desktop-file-validate "$here/$id.desktop" 2>&1) || status=1
if [ -n "$out" ]; then echo "$out"; status=1; else echo "(no output: clean)"; fi

echo "== appstreamcli validate --no-net $id.metainfo.xml"
if ! appstreamcli validate --no-net --pedantic "$here/$id.metainfo.xml"; then status=1; fi

echo "== lintian $(basename "$deb")"
# As root lintian refuses to unpack unless told it may.
allow=()
if [ "$(id -u)" -eq 0 ]; then allow=(--allow-root); fi
out=$(lintian "${allow[@]}" --display-info --pedantic "$deb" 2>&1) || true
if [ -n "$out" ]; then echo "$out"; else echo "(no tags)"; fi
if echo "$out" | grep -q '^E: '; then status=1; fi

exit $status
