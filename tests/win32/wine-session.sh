#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Tamblo developers
# SPDX-License-Identifier: MIT
# Runs inside an X server (see wine-test.sh): makes a Wine prefix in the
# work folder and plays the Windows program in it with real clicks. The
# window and its boxes are found by box_probe.exe, a Windows program that
# lists them; screenshots of the whole screen are checked by screen_check.
# Usage: wine-session.sh <tamblo.exe> <box_probe.exe> <screen_check> <output folder> <work folder>
set -euo pipefail
game=$1 probe=$2 check=$3 out=$4 work=$5

source "$(dirname "$0")/wine-env.sh"
scale=1
pids=()
trap 'kill -9 "${pids[@]}" 2>/dev/null || true; wineserver -k 2>/dev/null || true' EXIT

started=$SECONDS
part() { echo "== $* (at $((SECONDS - started)) s)"; }
die() { echo "FAIL: $*"; exit 1; }
wait_for() { # condition command..., up to 15 s
    for _ in $(seq 150); do "$@" && return 0; sleep 0.1; done
    return 1
}

# --- What is on the desktop, as box_probe.exe lists it.
desktop() { wine "$probe" </dev/null 2>/dev/null; }
find_window() { # sets x0 y0 (the client area's top-left on the screen), width, height
    local line
    line=$(desktop | awk -F'\t' '$1 == "window" && $2 == "Tamblo"' | head -1)
    [ -n "$line" ] || return 1
    IFS=$'\t' read -r _ _ x0 y0 width height <<<"$line"
}
find_box() { # sets box_title, box_message, box_buttons (caption@x,y each)
    local line buttons
    line=$(desktop | awk -F'\t' '$1 == "box"' | head -1)
    [ -n "$line" ] || return 1
    IFS=$'\t' read -r _ box_title box_message buttons <<<"$line"
    IFS='|' read -r -a box_buttons <<<"$buttons"
}
caption_of() { # caption@x,y: the caption without its access key, "はい(&Y)" as "はい"
    local caption=${1%@*}
    caption=${caption%%(*}
    echo "${caption//&/}"
}
# Waits for a box and checks its title, message (an extended regular
# expression) and button captions, in order, separated by blanks.
expect_box() { # title, message, captions
    wait_for find_box || die "no box came (expected \"$1\": $2)"
    local captions="" button
    for button in "${box_buttons[@]}"; do
        captions+="${captions:+ }$(caption_of "$button")"
    done
    echo "box \"$box_title\": \"$box_message\" [$captions]"
    [ "$box_title" = "$1" ] || die "the box is titled \"$box_title\", not \"$1\""
    [[ $box_message =~ $2 ]] || die "the box says \"$box_message\", not /$2/"
    [ "$captions" = "$3" ] || die "the box's buttons are \"$captions\", not \"$3\""
}
box_closed() { # title, message: no such box is shown any more
    ! desktop | awk -F'\t' -v t="$1" -v m="$2" '$1 == "box" && $2 == t && $3 == m { found = 1 } END { exit !found }'
}
press() { # caption: clicks that button of the box found last, and waits until it has gone
    local button at
    for button in "${box_buttons[@]}"; do
        [ "$(caption_of "$button")" = "$1" ] || continue
        at=${button##*@}
        xdotool mousemove "${at%,*}" "${at#*,}" click 1
        wait_for box_closed "$box_title" "$box_message" || die "the box \"$box_message\" did not close on $1"
        return 0
    done
    die "the box has no button $1"
}

# --- The game: started from a folder of its own, clicked in game pixels.
launch() { # folder: starts the folder's tamblo.exe; sets pid
    (cd "$work" && exec wine "$1/tamblo.exe" </dev/null) &
    pid=$!
    pids+=("$pid")
    wait_for find_window || die "the window did not appear"
    [ "$width" -eq $((200 * scale)) ] && [ "$height" -eq $((450 * scale)) ] \
        || die "the client area is $width x $height, not $((200 * scale)) x $((450 * scale))"
}
click() { # x y in game pixels of the client area
    xdotool mousemove $((x0 + $1 * scale)) $((y0 + $2 * scale)) click 1
}
closed() { ! kill -0 "$pid" 2>/dev/null; }
ended_with() { # status, what
    wait_for closed || die "$2: the game did not end"
    local status=0
    wait "$pid" || status=$?
    [ "$status" -eq "$1" ] || die "$2: the game ended with status $status, not $1"
}
shoot() { # name: the whole screen
    xwd -root -silent -out "$out/$1.xwd"
    convert "$out/$1.xwd" "$out/$1.png"
    rm -f "$out/$1.xwd"
}
# Screenshots until the check passes, for the window may still be painting;
# the last failure is reported after 10 s.
check_screen() { # mode, name
    for _ in $(seq 40); do
        shoot "$2"
        "$check" --text-by-place "$1" "$out/$2.png" "$scale" >"$out/$2.log" 2>&1 && { cat "$out/$2.log"; return 0; }
        sleep 0.25
    done
    cat "$out/$2.log"
    return 1
}
# The next stage on the screen: a disc other than the last one (two stages
# in a row never share an age), and where its right answer lies.
read_stage() { # stage, last age; sets age, x, y
    for _ in $(seq 40); do
        shoot play
        if age=$("$check" disc "$out/play.png" "$scale" 2>/dev/null) && [ "$age" != "$2" ] \
            && read -r x y < <("$check" answer "$out/play.png" "$scale" "$1" 2>/dev/null); then
            return 0
        fi
        sleep 0.25
    done
    die "stage $1: no new disc with its right answer on the screen"
}
answer_wrongly() { # at stage 0, last age: the other of the two buttons
    read_stage 0 "$1"
    click $((200 - x)) "$y"
    expect_box Tamblo '^残念!　間違いです\\n\\nゲームオーバー$' OK
    press OK
}
record_holds() { # file, tenths: exactly the line "<tenths>" CR LF
    printf '%s\r\n' "$2" | cmp -s - "$1"
}
seconds_of() { # tenths as the boxes show them
    echo "$(($1 / 10)).$(($1 % 10))"
}

part "a Wine prefix of the test's own, in a Japanese locale"
wine_prefix "$work"
wine --version

part "a whole game: the title, the high-score box, six right answers, every box, the record, kill -9"
mkdir -p "$work/game"
cp "$game" "$work/game/tamblo.exe"
record=$work/game/HighScore.mtt
launch "$work/game"
check_screen title title-x1 || die "the title screen is wrong"
# The menu command "ハイスコア", left on the menu bar above the client area.
xdotool mousemove $((x0 + 20)) $((y0 - 8)) click 1
expect_box ハイスコア '^クリアまでの最短時間 99\.9秒$' OK
press OK
click 100 200
check_screen stage0 stage0-x1 || die "the first stage is wrong"
age=none
for stage in 0 1 2 3 4 5; do
    read_stage "$stage" "$age"
    click "$x" "$y"
    expect_box Tamblo '^正解!$' OK
    if [ "$stage" = 5 ] && [ -f "$record" ]; then
        best_at_right=$(tr -d '\r\n' <"$record") # stored as the answer was judged
    fi
    press OK
done
expect_box Tamblo '^ゲームクリア!\\n\\n所要時間 ([0-9]+)\.([0-9])秒$' OK
best=$((10#${BASH_REMATCH[1]}${BASH_REMATCH[2]}))
[ "${best_at_right:-}" = "$best" ] || die "the new best $best was not on disk as the last answer was judged"
press OK
expect_box Tamblo '^ハイスコア更新!$' OK
record_holds "$record" "$best" || die "the record does not hold the new best $best: $(od -c "$record")"
echo "record after the clear: $(od -An -c "$record" | tr -s ' ')"
press OK
expect_box Tamblo '^また挑戦しますか？$' 'はい いいえ'
shoot retry-box
kill -9 "$pid"
ended_with 137 "kill -9"
record_holds "$record" "$best" || die "kill -9 after a new best lost the record"
echo "the new best $best survived kill -9"

part "game over twice, the retry question both ways, the record read back"
launch "$work/game"
xdotool mousemove $((x0 + 20)) $((y0 - 8)) click 1
expect_box ハイスコア "^クリアまでの最短時間 $(seconds_of "$best")秒\$" OK
press OK
# Started from the keyboard: Return on the title screen, as a click.
xdotool key Return
answer_wrongly none
expect_box Tamblo '^また挑戦しますか？$' 'はい いいえ'
press はい
answer_wrongly "$age"
expect_box Tamblo '^また挑戦しますか？$' 'はい いいえ'
press いいえ
ended_with 0 "No to the retry question"
record_holds "$record" "$best" || die "closing changed the record: $(od -c "$record")"
# The saves' lock and temporary files went with them.
[ "$(ls -A "$work/game")" = "$(printf 'HighScore.mtt\ntamblo.exe')" ] \
    || die "files left beside the program: $(ls -A "$work/game")"

part "a folder beside the program that cannot be written: the record in %APPDATA%"
readonly=$work/readonly
mkdir -p "$readonly"
cp "$game" "$readonly/tamblo.exe"
printf '1234\r\n' >"$readonly/HighScore.mtt"
chmod a-w "$readonly/HighScore.mtt" "$readonly"
touch "$readonly/probe" 2>/dev/null && die "the test can write into a read-only folder (root with every capability?)"
launch "$readonly"
xdotool mousemove $((x0 + 20)) $((y0 - 8)) click 1
expect_box ハイスコア '^クリアまでの最短時間 123\.4秒$' OK
press OK
click 100 200
answer_wrongly none
expect_box Tamblo '^また挑戦しますか？$' 'はい いいえ'
press いいえ
ended_with 0 "closing with a read-only program folder"
roaming=$(find "$WINEPREFIX/drive_c/users" -path '*/AppData/Roaming/Tamblo/HighScore.mtt')
[ -n "$roaming" ] || die "no record in %APPDATA%\\Tamblo"
record_holds "$roaming" 1234 || die "the record beside the program was not carried over: $(od -c "$roaming")"
[ "$(ls "$readonly")" = "$(printf 'HighScore.mtt\ntamblo.exe')" ] || die "the read-only folder changed: $(ls "$readonly")"
record_holds "$readonly/HighScore.mtt" 1234 || die "the record beside the program changed"
echo "carried over to ${roaming#"$WINEPREFIX/drive_c/"}"

part "the end of the session saves and ends the game"
launch "$work/game"
click 100 200
check_screen stage0 session-stage0 >/dev/null || die "the first stage did not show"
rm "$record"
wineboot --end-session
# Once the session ends the system may end the program itself: any status.
wait_for closed || die "the game outlived the end of the session"
status=0
wait "$pid" || status=$?
record_holds "$record" "$best" || die "the end of the session saved no record"
echo "the session ended: the game saved $best and ended with status $status"

# --- Waits for the record never freeze the window. The record as Windows
# names it, for the stand-ins of other programs.
windows_record="Z:${record//\//\\}"
stand_in() { # log, mode, arguments...: starts box_probe.exe as another program; sets holder
    local log=$1
    shift
    wine "$probe" "$@" >"$log" 2>/dev/null &
    holder=$!
    pids+=("$holder")
    wait_for grep -q ready "$log" || die "box_probe.exe $1 did not start"
}
close_now() { # what: asks the window to close; it must be off the screen within 1 s
    gone_ms=$(wine "$probe" close 2>/dev/null | tr -d '\r')
    echo "$1: the window went ${gone_ms} ms after WM_CLOSE"
    [ -n "$gone_ms" ] && [ "$gone_ms" -lt 1000 ] || die "$1: the window stayed on screen (${gone_ms:-?} ms)"
}

part "the record held without sharing for 10 s while the window closes: gone at once, one wait"
launch "$work/game"
stand_in "$work/hold.log" hold "$windows_record" 10
asked=$SECONDS
close_now "the record held"
ended_with 0 "closing with the record held"
echo "the game ended $((SECONDS - asked)) s after the close"
kill -0 "$holder" 2>/dev/null || die "the close's save waited for the held record more than once"
wait "$holder"
record_holds "$record" "$best" || die "the record changed: $(od -c "$record")"

part "another copy's lock held for 10 s while the window closes: gone at once, the better time kept"
launch "$work/game"
stand_in "$work/lock.log" lock "$windows_record" 10 5
close_now "another copy's lock held"
sleep 1
closed && die "the game ended without waiting for the lock"
wait "$holder"
ended_with 0 "closing with the lock held"
record_holds "$record" 5 || die "the save under another copy's lock lost its better time: $(od -c "$record")"
best=5

part "a pipe at the record's name: the close fails its save at once"
mkdir -p "$work/fifo"
cp "$game" "$work/fifo/tamblo.exe"
mkfifo "$work/fifo/HighScore.mtt"
launch "$work/fifo"
asked=$SECONDS
close_now "a pipe at the record's name"
ended_with 0 "closing with a pipe at the record's name"
[ $((SECONDS - asked)) -le 4 ] || die "a pipe at the record's name kept the game $((SECONDS - asked)) s"

part "the record held at the winning click: the window paints and answers while the save waits"
launch "$work/game"
click 100 200
age=none
for stage in 0 1 2 3 4 5; do
    read_stage "$stage" "$age"
    [ "$stage" = 5 ] && stand_in "$work/hold.log" hold "$windows_record" 10
    clicked=$(date +%s%N)
    click "$x" "$y"
    if [ "$stage" = 5 ]; then
        sleep 1
        during=$(wine "$probe" answers 2>/dev/null | tr -d '\r')
        echo "during the save's wait the window: $during"
        [ "$during" = "answers painted" ] || die "the window froze while the save waited: $during"
    fi
    expect_box Tamblo '^正解!$' OK
    [ "$stage" = 5 ] || { press OK; continue; }
    echo "正解! came $((($(date +%s%N) - clicked) / 1000000)) ms after the winning click"
done
kill -9 "$pid"
wait "$holder"

part "192 dpi: the window twice as large, the disc sharp"
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 192 /f >/dev/null
# The monitor's density is the session's (Wine 10): a new session has it.
wineserver -k || true
wineserver -w
scale=2
launch "$work/game"
check_screen title title-x2 || die "the title screen at 192 dpi is wrong"
click 100 200
check_screen stage0 stage0-x2 || die "the first stage at 192 dpi is wrong"
kill -9 "$pid"
part "done"
