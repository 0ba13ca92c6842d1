# SPDX-FileCopyrightText: 2026 Tamblo developers
# SPDX-License-Identifier: MIT
# Sourced by the real-display tests. In a sanitizer build, memory errors
# still end the game there, but leaks are left to the offscreen tests: at
# exit the display libraries (the X11 and Wayland platform plugins and what
# they load) keep objects the game cannot free, and which ones differs from
# one Qt release to the next.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
