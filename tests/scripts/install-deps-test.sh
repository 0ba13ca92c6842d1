#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Tamblo developers
# SPDX-License-Identifier: MIT
# The set-up on a Japanese desktop: install-deps runs under LANG=ja_JP.UTF-8
# against stand-ins for apt-get, apt-cache, dpkg-query, id and sudo that
# answer in Japanese, as apt does there, unless they are called in the C
# locale. The stand-ins keep a small machine of their own: some packages
# installed (one of them only as the second choice of an entry "a|b"),
# package lists that know more after `apt-get update`. Each case checks that
# exactly the missing packages are asked for, and how.
# Usage: install-deps-test.sh <scripts/install-deps>
set -euo pipefail
script=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fakes=$work/bin
mkdir -p "$fakes"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# --- The stand-ins. FAKE_MACHINE is a folder: `installed` lists what is
# installed, `absent` what this release does not have, `updated` exists once
# the package lists were read; `calls` logs apt-get and sudo.
cat >"$fakes/apt-cache" <<'FAKE'
#!/bin/bash
# apt-cache policy <package>: before an update only installed packages are
# known, as on a pristine system with empty package lists.
[ "$1" = policy ] || exit 100
p=$2 m=$FAKE_MACHINE
installed=false known=false
grep -qx "$p" "$m/installed" && installed=true known=true
[ -e "$m/updated" ] && ! grep -qx "$p" "$m/absent" && known=true
if [ "${LC_ALL:-}" = C ]; then
    i='Installed:' c='Candidate:' t='Version table:' none='(none)'
else
    i='インストールされているバージョン:' c='候補:' t='バージョンテーブル:' none='(なし)'
fi
$known || { [ "${LC_ALL:-}" = C ] && echo "N: Unable to locate package $p" >&2 || echo "N: パッケージ $p が見つかりません" >&2; exit 0; }
echo "$p:"
if $installed; then echo "  $i 1.0-1"; else echo "  $i $none"; fi
if [ -e "$m/updated" ] && ! grep -qx "$p" "$m/absent"; then echo "  $c 1.0-1"; else echo "  $c $none"; fi
echo "  $t"
FAKE
cat >"$fakes/dpkg-query" <<'FAKE'
#!/bin/bash
# dpkg-query -W -f='${Status}\n' <package>: the field itself is never
# translated, the messages are.
p=${*: -1}
if grep -qx "$p" "$FAKE_MACHINE/installed"; then
    echo "install ok installed"
    exit 0
fi
if [ "${LC_ALL:-}" = C ]; then echo "dpkg-query: no packages found matching $p" >&2
else echo "dpkg-query: $p に一致するパッケージが見つかりません" >&2; fi
exit 1
FAKE
cat >"$fakes/apt-get" <<'FAKE'
#!/bin/bash
m=$FAKE_MACHINE
echo "apt-get LC_ALL=${LC_ALL:-} $*" >>"$m/calls"
case "$1" in
    update) touch "$m/updated" ;;
    install)
        shift
        for p in "$@"; do [[ $p == -* ]] || echo "$p" >>"$m/installed"; done ;;
    *) exit 100 ;;
esac
[ "${LC_ALL:-}" = C ] && echo "Reading package lists... Done" || echo "パッケージリストを読み込んでいます... 完了"
FAKE
cat >"$fakes/id" <<'FAKE'
#!/bin/bash
[ "$*" = -u ] && { echo "$FAKE_UID"; exit 0; }
exec /usr/bin/id "$@"
FAKE
cat >"$fakes/sudo" <<'FAKE'
#!/bin/bash
if [ ! -e "$FAKE_MACHINE/sudoer" ]; then
    echo "sudo: パスワードが必要です" >&2
    exit 1
fi
[ "$*" = "-n true" ] && exit 0
echo "sudo $*" >>"$FAKE_MACHINE/calls"
exec "$@"
FAKE
chmod +x "$fakes"/*

# The packages the build asks for that the machine below lacks.
expected="fonts-noto-cjk-extra qt6-base-dev qt6-wayland"

machine() { # name, installed packages...: a fresh machine
    FAKE_MACHINE=$work/$1
    mkdir -p "$FAKE_MACHINE"
    shift
    printf '%s\n' "$@" >"$FAKE_MACHINE/installed"
    : >"$FAKE_MACHINE/absent"
    : >"$FAKE_MACHINE/calls"
}
run() { # uid, task: install-deps as a Japanese desktop runs it
    status=0
    env -u LC_ALL -u LC_MESSAGES -u LC_CTYPE LANG=ja_JP.UTF-8 LANGUAGE=ja \
        PATH="$fakes:$PATH" FAKE_MACHINE="$FAKE_MACHINE" FAKE_UID="$1" \
        "$script" "$2" </dev/null >"$work/out" 2>"$work/err" || status=$?
}
sorted() { tr ' ' '\n' | grep -v '^$' | sort | tr '\n' ' ' | sed 's/ $//'; }
asked() { # the packages of the install line in `calls`
    grep -m1 ' install ' "$FAKE_MACHINE/calls" | sed 's/.*--no-install-recommends//' | sorted
}
show() { sed 's/^/    /' "$work/out" "$work/err" "$FAKE_MACHINE/calls"; }

# A machine with the compiler, CMake, make and the Japanese base fonts, and
# Qt's SVG plugin as Debian 12 calls it, though this release offers the
# other name too: nothing installed is asked for again.
machine root g++ cmake make libqt6svg6 fonts-noto-cjk
run 0 build
[ "$status" -eq 0 ] || fail "as root: status $status"
[ "$(asked)" = "$expected" ] || fail "as root: asked for '$(asked)', not '$expected'"
head -1 "$FAKE_MACHINE/calls" | grep -q 'apt-get LC_ALL=C update' || fail "as root: no apt-get update first"
grep -q '^sudo' "$FAKE_MACHINE/calls" && fail "as root: sudo was used"
[ "$failures" -eq 0 ] || show
echo "as root: installed $(asked)"

# Run again, with everything there: apt-get is not called at all.
: >"$FAKE_MACHINE/calls"
run 0 build
[ "$status" -eq 0 ] && [ ! -s "$FAKE_MACHINE/calls" ] || { fail "again: status $status"; show; }

# An ordinary user with sudo.
machine sudoer g++ cmake make libqt6svg6 fonts-noto-cjk
touch "$FAKE_MACHINE/sudoer"
run 1000 build
[ "$status" -eq 0 ] || fail "through sudo: status $status"
[ "$(asked)" = "$expected" ] || fail "through sudo: asked for '$(asked)', not '$expected'"
[ "$(grep -c '^sudo env LC_ALL=C' "$FAKE_MACHINE/calls")" -eq 2 ] || { fail "through sudo: not both apt-get calls"; show; }

# An ordinary user without sudo: the exact command, nothing run.
machine user g++ cmake make libqt6svg6 fonts-noto-cjk
run 1000 build
told=$(sed -n 's/.*--no-install-recommends//p' "$work/err" | sorted)
[ "$status" -eq 1 ] || fail "without sudo: status $status"
[ "$told" = "$expected" ] || { fail "without sudo: told '$told', not '$expected'"; show; }
[ -s "$FAKE_MACHINE/calls" ] && fail "without sudo: apt-get was run"

# Debian 12 has only the second name of the SVG plugin: it is the one
# installed on a machine that has neither.
machine bookworm g++ cmake make fonts-noto-cjk fonts-noto-cjk-extra qt6-base-dev qt6-wayland
echo qt6-svg-plugins >"$FAKE_MACHINE/absent"
run 0 build
[ "$status" -eq 0 ] && [ "$(asked)" = libqt6svg6 ] || { fail "Debian 12: asked for '$(asked)'"; show; }

# A package this release lacks altogether stops the set-up, naming it.
machine lacking g++ cmake make libqt6svg6 fonts-noto-cjk
echo qt6-wayland >"$FAKE_MACHINE/absent"
run 0 build
[ "$status" -eq 1 ] && grep -q 'offers none of: qt6-wayland$' "$work/err" || { fail "missing package: status $status"; show; }

[ "$failures" -eq 0 ] || exit 1
echo "install-deps under a Japanese locale: ok"
