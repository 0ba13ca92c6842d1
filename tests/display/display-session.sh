#!/usr/bin/env bash
# Runs inside an X server (see display-test.sh): starts the real game,
# drives it with real input events and checks screenshots of it.
# Usage: display-session.sh <tamblo> <screen_check> <output folder> <scale>
set -euo pipefail
game=$1 check=$2 out=$3 scale=$4

capture() { # window, name
    xwd -silent -id "$1" -out "$out/$2.xwd"
    convert "$out/$2.xwd" "$out/$2.png"
    rm -f "$out/$2.xwd"
}
windows() { xdotool search --onlyvisible --name '^Tamblo$' 2>/dev/null | wc -l; }
at_least() { [ "$(windows)" -ge "$1" ]; }
closed() { ! kill -0 "$pid" 2>/dev/null; }
wait_for() { # condition command..., up to 10 s
    for _ in $(seq 100); do "$@" && return 0; sleep 0.1; done
    return 1
}

# A copy of its own, so the record file lands in the output folder.
mkdir -p "$out/bin"
cp "$game" "$out/bin/tamblo"
rm -f "$out/bin/HighScore.mtt"
export QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$scale
"$out/bin/tamblo" &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT

# Screenshots until the check passes: a slow build (the sanitizers) may
# need a moment to paint. The last failure is reported after 10 s.
check_screen() { # mode
    local name="$1-x$scale"
    for _ in $(seq 40); do
        capture "$win" "$name"
        "$check" "$1" "$out/$name.png" "$scale" >"$out/$name.log" 2>&1 && { cat "$out/$name.log"; return 0; }
        sleep 0.25
    done
    cat "$out/$name.log"
    return 1
}

wait_for at_least 1 || { echo "the window did not appear"; exit 1; }
win=$(xdotool search --onlyvisible --name '^Tamblo$' | head -1)
check_screen title

# A real click in the middle of the window starts the game.
eval "$(xdotool getwindowgeometry --shell "$win")"
xdotool mousemove --window "$win" $((WIDTH / 2)) $((HEIGHT / 2)) click 1
check_screen stage0

# The keyboard alone plays on: Tab to a button and Space to answer it;
# Escape closes each box (No at the retry question), until a game ends and
# the window with it.
xdotool windowfocus --sync "$win" || true
for _ in $(seq 20); do
    kill -0 $pid 2>/dev/null || break
    xdotool key Tab space
    wait_for at_least 2 || { echo "no box after answering with the keyboard"; exit 1; }
    while [ "$(windows)" -ge 2 ]; do
        xdotool key Escape
        sleep 0.3
    done
    sleep 0.2
done
wait_for closed || { echo "the game did not close after No"; exit 1; }
trap - EXIT
status=0
wait "$pid" || status=$?
[ "$status" -eq 0 ] || { echo "the game ended with status $status"; exit 1; }
record=$(cat "$out/bin/HighScore.mtt" | od -An -c | tr -s ' ')
echo "record after closing: $record"
grep -qE '^-?[0-9]+'$'\r''$' "$out/bin/HighScore.mtt" || { echo "no clean record file after closing"; exit 1; }
echo "display session at scale $scale: ok"
