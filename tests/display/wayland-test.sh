#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Tamblo developers
# SPDX-License-Identifier: MIT
# The real-display test on Wayland: a headless Weston of its own, the game
# as a native Wayland client, screenshots of the whole output checked
# against the game's own offscreen rendering: the title screen of the real
# program, which must then save and end by SIGTERM, and a started game.
# Usage: wayland-test.sh <tamblo> <started_game> <screen_check> <output folder>
set -euo pipefail
game=$1 started=$2 check=$3 out=$4
mkdir -p "$out"
source "$(dirname "$0")/sanitizer-options.sh"
XDG_RUNTIME_DIR=$(mktemp -d)
export XDG_RUNTIME_DIR WAYLAND_DISPLAY=tamblo-test QT_QPA_PLATFORM=wayland
unset DISPLAY
pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true; rm -rf "$XDG_RUNTIME_DIR"' EXIT
die() { echo "$*"; exit 1; }

weston --backend=headless-backend.so --use-pixman --debug --socket="$WAYLAND_DISPLAY" \
       --width=800 --height=700 --idle-time=0 >"$out/weston.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] && break; sleep 0.1; done
[ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] || { cat "$out/weston.log"; die "weston did not start"; }

# Screenshots of the output until the check passes; the last failure is
# reported after 10 s.
check_screen() { # mode name
    local shot
    for _ in $(seq 40); do
        rm -f wayland-screenshot-*.png
        weston-screenshooter >/dev/null 2>&1 || true
        shot=$(ls wayland-screenshot-*.png 2>/dev/null | head -1)
        if [ -n "$shot" ]; then
            mv "$shot" "$out/$2.png"
            "$check" "$1" "$out/$2.png" 1 >"$out/$2.log" 2>&1 && { cat "$out/$2.log"; return 0; }
        fi
        sleep 0.25
    done
    cat "$out/$2.log" 2>/dev/null
    return 1
}
# After the save the game ends by the signal itself: 128 + 15 in a shell.
ends_by_term() { # pid what
    kill -TERM "$1"
    local status=0
    wait "$1" || status=$?
    [ "$status" -eq 143 ] || die "$2 ended with status $status on SIGTERM, not 143"
}
cd "$out"

mkdir -p bin
cp "$game" bin/tamblo
rm -f bin/HighScore.mtt
bin/tamblo &
pids+=($!)
check_screen title wayland-title || die "the title screen on Wayland is wrong"
ends_by_term "${pids[-1]}" "the game"
grep -qx $'999\r' bin/HighScore.mtt || die "no record after SIGTERM on Wayland"

"$started" "$out/started.mtt" &
pids+=($!)
check_screen stage0 wayland-stage0 || die "the first stage on Wayland is wrong"
ends_by_term "${pids[-1]}" "the started game"
echo "wayland session: ok"
