#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Tamblo developers
# SPDX-License-Identifier: MIT
# Start-up of the Windows program under Wine against a bare Win32 window of
# the same kind: the time from the start of the process to its painted
# window, measured by startup_probe.exe inside one Wine session (in an X
# server, a Wine prefix and a Japanese locale of its own). The two programs
# take turns, so that a busy machine weighs on both alike.
# Prints two lines, "tamblo <median ms>" and "bare <median ms>".
# Usage: startup.sh <tamblo.exe> <bare_window.exe> <startup_probe.exe> [runs]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

if [ "${1:-}" = --inside ]; then
    # In the X server: the prefix, two starts each to warm up, then the
    # turns, named by program.
    work=$2 probe=$3 runs=$4
    source "$here/../../tests/win32/wine-env.sh"
    wine_prefix "$work"
    wine "$probe" 2 "$work/tamblo/tamblo.exe" "$work/bare/bare.exe" >/dev/null
    wine "$probe" "$runs" "$work/tamblo/tamblo.exe" "$work/bare/bare.exe" \
        | awk '{ print ($1 == 1 ? "tamblo" : "bare"), $2 }'
    wineserver -k || true
    exit 0
fi

[ $# -ge 3 ] || { echo "usage: $0 <tamblo.exe> <bare_window.exe> <startup_probe.exe> [runs]" >&2; exit 2; }
for file in "$1" "$2" "$3"; do
    [ -f "$file" ] || { echo "missing: $file" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/tamblo" "$work/bare"
cp "$1" "$work/tamblo/tamblo.exe"
cp "$2" "$work/bare/bare.exe"
source "$here/../../tests/win32/wine-env.sh"
japanese_locale "$work" >&2
xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" \
    bash "$0" --inside "$work" "$(realpath "$3")" "${4:-25}" >"$work/times"

median() { # program
    awk -v p="$1" '$1 == p { print $2 }' "$work/times" | sort -n \
        | awk '{ v[NR] = $1 } END { if (NR == 0) exit 1; print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
tamblo=$(median tamblo) || { echo "no start-up times of tamblo.exe" >&2; exit 1; }
bare=$(median bare) || { echo "no start-up times of the bare window" >&2; exit 1; }
echo "tamblo $tamblo"
echo "bare $bare"
