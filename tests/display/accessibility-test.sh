#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Tamblo developers
# SPDX-License-Identifier: MIT
# The game played through the accessibility bus alone, as a screen reader
# plays it: in an X server (Xvfb) and a D-Bus session of its own, which
# starts the accessibility bus when the game and the player ask for it.
# Usage: accessibility-test.sh <tamblo> <output folder> <python3 with Atspi>
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$2 python=$3
# A copy of its own, so the record file lands in the output folder.
mkdir -p "$out/bin"
cp "$1" "$out/bin/tamblo"
rm -f "$out/bin/HighScore.mtt"
XDG_RUNTIME_DIR=$(mktemp -d)
export XDG_RUNTIME_DIR
trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
source "$here/sanitizer-options.sh"
xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" \
    dbus-run-session -- "$python" "$here/play_without_sight.py" "$out/bin/tamblo" "$out/bin/HighScore.mtt"
