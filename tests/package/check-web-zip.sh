#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Tamblo developers
# SPDX-License-Identifier: MIT
# Checks the web zip as a site owner unpacks it: index.html and the site's
# files at its top, every file that the service worker keeps for offline
# play present, only relative addresses in the page, and the whole site,
# icons aside, within 64 KiB when gzip-compressed.
# Usage: check-web-zip.sh <Tamblo-version-web.zip>
set -euo pipefail
zip=${1:?usage: $0 <zip>}
die() { echo "$zip: $*" >&2; exit 1; }
[ -f "$zip" ] || die "missing"
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
unzip -q "$zip" -d "$unpacked"
cd "$unpacked"

expected="./LICENSE.txt ./icons/tamblo-192.png ./icons/tamblo-512.png ./icons/tamblo-maskable-512.png \
./index.html ./manifest.webmanifest ./release.txt ./sw.js ./tamblo.js ./tamblo.wasm "
[ "$(find . -type f | LC_ALL=C sort | tr '\n' ' ')" = "$expected" ] || die "holds $(find . -type f | tr '\n' ' ')"
# One release: the worker keeps every file of the site but itself, the
# release's name and the licence, each with the hash of the file in the zip,
# and its release is the one that release.txt names.
kept=$(sed -n 's/^ *"\([^"]*\)": "\([0-9a-f]\{64\}\)",\{0,1\}$/\2  \1/p' sw.js)
[ "$(echo "$kept" | sed 's/^.*  //' | LC_ALL=C sort | tr '\n' ' ')" = \
  "$(find . -type f ! -name sw.js ! -name release.txt ! -name LICENSE.txt | sed 's|^\./||' | LC_ALL=C sort | tr '\n' ' ')" ] \
    || die "the service worker keeps $(echo "$kept" | sed 's/^.*  //' | tr '\n' ' ')"
echo "$kept" | sha256sum --check --quiet || die "a file differs from the one the service worker expects"
grep -qx "const RELEASE = '$(cat release.txt)';" sw.js || die "release.txt names another release than the worker's"
# No address that leaves the site's folder or the site.
if grep -nE '(src|href)="(/|[a-z]+:)' index.html; then die "index.html has an absolute address"; fi
grep -q '"start_url": "./"' manifest.webmanifest || die "the manifest does not start in its own folder"
size=0
for file in $(find . -type f ! -path './icons/*'); do
    size=$((size + $(gzip -9c "$file" | wc -c)))
done
[ "$size" -le 65536 ] || die "the site is $size bytes gzip-compressed, above 64 KiB"
echo "$zip: ok ($size bytes gzip-compressed, icons aside)"
