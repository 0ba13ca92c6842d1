#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Tamblo developers
# SPDX-License-Identifier: MIT
# The real-display test: the game in an X server of its own (Xvfb), at the
# normal scale and at twice the scale. Screenshots stay in the output folder.
# Usage: display-test.sh <tamblo> <screen_check> <output folder>
set -euo pipefail
here=$(dirname "$0")
mkdir -p "$3"
# In a sanitizer build, memory errors still end the game here, but leaks
# are left to the offscreen tests: at exit the display libraries (the X11
# and Wayland platform plugins and what they load) keep objects the game
# cannot free, and which ones differs from one Qt release to the next.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
for scale in 1 2; do
    xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" bash "$here/display-session.sh" "$1" "$2" "$3" "$scale"
done
