#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Tamblo developers
# SPDX-License-Identifier: MIT
# The Windows program under Wine, in an X server (Xvfb), a Wine prefix and
# a Japanese locale of the test's own: driven with real clicks, checked on
# screenshots, its message boxes read by box_probe.exe. Screenshots stay in
# the output folder. A missing program or tool fails the test.
# Usage: wine-test.sh <tamblo.exe> <box_probe.exe> <screen_check> <output folder>
set -euo pipefail
here=$(dirname "$0")
[ $# -eq 4 ] || { echo "usage: $0 <tamblo.exe> <box_probe.exe> <screen_check> <output folder>"; exit 2; }
for file in "$1" "$2" "$3"; do
    [ -f "$file" ] || { echo "missing: $file (is the Windows program built?)"; exit 1; }
done
for tool in wine wineboot wineserver xvfb-run xdotool xwd convert localedef setpriv; do
    command -v "$tool" >/dev/null || { echo "missing tool: $tool"; exit 1; }
done
mkdir -p "$4"
rm -f "$4"/*.png "$4"/*.log

work=$(mktemp -d)
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
source "$here/wine-env.sh"
japanese_locale "$work"
xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" \
    "${wine_user[@]}" bash "$here/wine-session.sh" "$1" "$2" "$3" "$4" "$work"
