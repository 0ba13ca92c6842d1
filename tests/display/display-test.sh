#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Tamblo developers
# SPDX-License-Identifier: MIT
# The real-display test: the game in an X server of its own (Xvfb), at the
# normal scale and at twice the scale, and at twice the scale on a screen
# too small for it, where the game area shows at the normal scale.
# Screenshots stay in the output folder.
# Usage: display-test.sh <tamblo> <screen_check> <output folder>
set -euo pipefail
here=$(dirname "$0")
mkdir -p "$3"
source "$here/sanitizer-options.sh"
for scale in 1 2; do
    xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" bash "$here/display-session.sh" "$1" "$2" "$3" "$scale"
done
xvfb-run -a -s "-screen 0 1024x600x24 -noreset" bash "$here/display-session.sh" "$1" "$2" "$3" 2 1
