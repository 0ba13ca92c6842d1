#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Tamblo developers
# SPDX-License-Identifier: MIT
# Runs inside an X server (see display-test.sh): starts the real game,
# drives it with real input events and checks screenshots of it, then ends
# copies of it by signals and checks what they leave in the record file.
# Usage: display-session.sh <tamblo> <screen_check> <output folder> <scale> [<shown>]
# The scale is QT_SCALE_FACTOR; `shown`, the device pixels per game pixel
# the game takes, is the scale unless the screen is too small for it.
set -euo pipefail
game=$1 check=$2 out=$3 scale=$4 shown=${5:-$4}
# A game area made smaller than the screen's scale draws its labels at
# font sizes of its own: their text is compared by place.
check_options=() tag=x$scale
[ "$shown" = "$scale" ] || check_options=(--text-by-place) tag=x$scale-shown$shown

capture() { # window, name
    xwd -silent -id "$1" -out "$out/$2.xwd"
    convert "$out/$2.xwd" "$out/$2.png"
    rm -f "$out/$2.xwd"
}
windows_of() { xdotool search --onlyvisible --pid "$1" 2>/dev/null || true; }
count_of() { windows_of "$1" | wc -l; }
at_least() { [ "$(count_of "$pid")" -ge "$1" ]; }
closed() { ! kill -0 "$1" 2>/dev/null; }
wait_for() { # condition command..., up to 10 s
    for _ in $(seq 100); do "$@" && return 0; sleep 0.1; done
    return 1
}
die() { echo "$*"; exit 1; }

# A copy of its own, so the record file lands in the output folder.
mkdir -p "$out/bin"
cp "$game" "$out/bin/tamblo"
record=$out/bin/HighScore.mtt
rm -f "$record"
export QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$scale
XDG_RUNTIME_DIR=$(mktemp -d)
export XDG_RUNTIME_DIR
pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true; rm -rf "$XDG_RUNTIME_DIR"' EXIT

launch() { # [nohup | ignoring-int]: starts a copy; sets pid and win
    case "${1:-}" in
        # As a closing terminal's nohup and a script's background job do.
        nohup) nohup "$out/bin/tamblo" </dev/null >/dev/null & ;;
        ignoring-int) ( trap '' INT; exec "$out/bin/tamblo" ) & ;;
        # As a desktop starts it: a background job of this script would
        # otherwise ignore SIGINT.
        *) env --default-signal=TERM,INT,HUP "$out/bin/tamblo" & ;;
    esac
    pid=$!
    pids+=("$pid")
    wait_for at_least 1 || die "the window did not appear"
    win=$(windows_of "$pid" | head -1)
}
# The copy's exit status once it has gone: 0, or 128 plus the number of
# the signal that ended it.
ended_with() { # pid, expected status, what
    wait_for closed "$1" || die "$3: the game did not end"
    local status=0
    wait "$1" || status=$?
    [ "$status" -eq "$2" ] || die "$3: the game ended with status $status, not $2"
}
ended_cleanly() { ended_with "$1" 0 "$2"; } # pid, what
ended_by() { ended_with "$1" $((128 + $(kill -l "$2"))) "$3"; } # pid, signal, what
record_is() { # expected line without CR LF
    [ "$(tr -d '\r' <"$record")" = "$1" ] && [ "$(wc -c <"$record")" -eq $((${#1} + 2)) ]
}
click_client() { # x y in game pixels of the client area (under the menu bar)
    eval "$(xdotool getwindowgeometry --shell "$win")"
    xdotool mousemove --window "$win" $(($1 * shown)) $((HEIGHT - 450 * shown + $2 * shown)) click 1
}

# Screenshots until the check passes: a slow build (the sanitizers) may
# need a moment to paint. The last failure is reported after 10 s.
check_screen() { # mode
    local name="$1-$tag"
    for _ in $(seq 40); do
        capture "$win" "$name"
        "$check" "${check_options[@]}" "$1" "$out/$name.png" "$shown" >"$out/$name.log" 2>&1 \
            && { cat "$out/$name.log"; return 0; }
        sleep 0.25
    done
    cat "$out/$name.log"
    return 1
}

# Plays stages 0 to 5 with the right answers read from the screen, closing
# each "right" box with Return, and leaves the sixth one open.
play_to_the_last_box() {
    click_client 100 200
    for stage in 0 1 2 3 4 5; do
        for _ in $(seq 40); do
            capture "$win" "perfect"
            answer=$("$check" answer "$out/perfect.png" "$shown" "$stage" 2>"$out/answer.log") && break
            sleep 0.25
        done
        [ -n "$answer" ] || die "stage $stage: no right answer found on screen ($(tail -1 "$out/answer.log"))"
        read -r x y <<<"$answer"
        click_client "$x" "$y"
        answer=
        wait_for at_least 2 || die "stage $stage: a box did not appear"
        [ "$stage" = 5 ] && return 0
        close_box "stage $stage"
    done
}
close_box() { # what
    box=$(windows_of "$pid" | grep -vx "$win" | head -1)
    xdotool windowfocus --sync "$box" 2>/dev/null || true
    xdotool key Return
    wait_for eval "! windows_of $pid | grep -qx $box" || die "$1: a box did not close"
}

# --- Look and keyboard: the title, stage 0, then Tab and Space play on and
# Escape closes each box (No at the retry question) until the game ends.
launch
check_screen title
click_client 100 200
check_screen stage0
xdotool windowfocus --sync "$win" || true
for _ in $(seq 20); do
    kill -0 "$pid" 2>/dev/null || break
    xdotool key Tab space
    wait_for at_least 2 || die "no box after answering with the keyboard"
    while [ "$(count_of "$pid")" -ge 2 ]; do
        xdotool key Escape
        sleep 0.3
    done
    sleep 0.2
done
ended_cleanly "$pid" "closing by No"
echo "record after closing: $(od -An -c "$record" | tr -s ' ')"
grep -qE '^-?[0-9]+'$'\r''$' "$record" || die "no clean record file after closing"
echo "display session at scale $scale: ok"

# --- A screen too small for the window at its scale: the whole window on
# the screen, and the last stage's right answer within reach of a click.
if [ "$shown" != "$scale" ]; then
    launch
    eval "$(xdotool getwindowgeometry --shell "$win")"
    read -r screen_width screen_height < <(xdotool getdisplaygeometry)
    echo "window ${WIDTH}x$HEIGHT at ($X, $Y) on a ${screen_width}x$screen_height screen"
    [ "$X" -ge 0 ] && [ "$Y" -ge 0 ] && [ $((X + WIDTH)) -le "$screen_width" ] \
        && [ $((Y + HEIGHT)) -le "$screen_height" ] || die "the window does not lie inside the screen"
    play_to_the_last_box
    kill -TERM "$pid"
    ended_by "$pid" TERM "the game on a small screen"
    echo "the last stage answered on a ${screen_width}x$screen_height screen at scale $scale, shown at $shown"
fi
[ "$scale" = 1 ] || exit 0

# --- Records and signals (once, at the normal scale).
# Each termination signal, during play and inside a box, closes the window,
# saves and then ends the game by that signal: a shell sees 128 + its number.
for signal in TERM INT HUP; do
    rm -f "$record"
    launch
    click_client 100 200
    check_screen stage0 >/dev/null || die "stage 0 did not show"
    kill -"$signal" "$pid"
    ended_by "$pid" "$signal" "SIG$signal during play"
    record_is 999 || die "SIG$signal during play: no record written"

    rm -f "$record"
    launch
    click_client 100 200
    check_screen stage0 >/dev/null || die "stage 0 did not show"
    read -r x y < <("$check" answer "$out/stage0-x$scale.png" "$scale" 0)
    click_client "$x" "$y"
    wait_for at_least 2 || die "no box after the right answer"
    kill -"$signal" "$pid"
    ended_by "$pid" "$signal" "SIG$signal inside a box"
    record_is 999 || die "SIG$signal inside a box: no record written"
    echo "SIG$signal during play and inside a box: closed, saved, ended by SIG$signal"
done

# Closing never waits on screen: while another copy holds the record's lock
# (and stores a better time under it), SIGTERM takes the window off the
# screen at once; the save waits behind it, keeps the better time, and the
# game then ends by the signal.
# The holder's mark from an earlier run would let the close come before
# the lock is held.
rm -f "$record" "$out/locked"
launch
click_client 100 200
check_screen stage0 >/dev/null || die "stage 0 did not show"
python3 - "$record" "$out/locked" <<'HOLD' &
import fcntl, sys, time
with open(sys.argv[1] + ".lock", "a") as lock:
    fcntl.lockf(lock, fcntl.LOCK_EX)
    open(sys.argv[2], "w").close()
    time.sleep(6)
    with open(sys.argv[1], "wb") as record:
        record.write(b"42\r\n")
HOLD
holder=$!
pids+=("$holder")
wait_for test -e "$out/locked" || die "the lock could not be taken"
asked=$(date +%s%N)
kill -TERM "$pid"
for _ in $(seq 200); do [ "$(count_of "$pid")" -eq 0 ] && break; sleep 0.01; done
gone_ms=$((($(date +%s%N) - asked) / 1000000))
[ "$(count_of "$pid")" -eq 0 ] || die "the window stayed on screen while the save waited for the lock"
[ "$gone_ms" -lt 1000 ] || die "the window took $gone_ms ms to go"
closed "$pid" && die "the game ended without waiting for the lock"
wait "$holder"
ended_by "$pid" TERM "SIGTERM with the lock held"
record_is 42 || die "the save under another copy's lock lost its better time: $(od -An -c "$record")"
echo "SIGTERM with another copy's lock held: the window went in $gone_ms ms, the save waited and kept 42"

# A signal that was ignored when the game started stays ignored: the game
# plays on after it, and SIGTERM still ends it, saving.
for how in nohup:HUP ignoring-int:INT; do
    signal=${how#*:}
    rm -f "$record"
    launch "${how%:*}"
    kill -"$signal" "$pid"
    sleep 1
    if closed "$pid"; then
        status=0
        wait "$pid" || status=$?
        die "${how%:*}: the game ended with status $status after SIG$signal"
    fi
    click_client 100 200
    check_screen stage0 >/dev/null || die "${how%:*}: the game does not play on after SIG$signal"
    kill -TERM "$pid"
    ended_by "$pid" TERM "${how%:*}: SIGTERM after SIG$signal"
    record_is 999 || die "${how%:*}: no record written"
    echo "started with SIG$signal ignored (${how%:*}): SIG$signal ignored, ended by SIGTERM"
done

# A new best is on disk as the last answer is judged: a kill -9 while the
# sixth "right" box is still open keeps it.
echo "1234" | sed 's/$/\r/' >"$record"
launch
play_to_the_last_box
kill -9 "$pid"
wait "$pid" 2>/dev/null || true
best=$(tr -d '\r' <"$record")
[ "$best" -lt 1234 ] || die "kill -9 at the last right-answer box lost the new best: $best"
echo "new best $best on disk before the last right-answer box closed"

# A perfect game sets a new best, which is on disk at once: a kill -9 in the
# next game keeps it, and a second copy, started before with the old record
# and closed later, does not write its worse time over it.
echo "1234" | sed 's/$/\r/' >"$record"
launch
other=$pid
xdotool windowmove "$win" 0 0 # out of the way of the copy that plays
launch
play_to_the_last_box
# The last right answer's box, the clear, the new best, and the retry
# question, where Return is Yes.
for box in right clear new-best retry; do
    [ "$box" = right ] || wait_for at_least 2 || die "the $box box did not appear"
    close_box "the $box box"
done
check_screen stage0 >/dev/null || die "the next game did not start"
best=$(tr -d '\r' <"$record")
[ "$best" -lt 1234 ] || die "the new best is not on disk: $best"
kill -9 "$pid"
wait "$pid" 2>/dev/null || true
record_is "$best" || die "kill -9 in the next game lost the new best"
kill -TERM "$other"
ended_by "$other" TERM "the second copy"
record_is "$best" || die "the second copy wrote over the better time"
echo "new best $best survived kill -9 and a second copy closing later"
