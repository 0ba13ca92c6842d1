#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Tamblo developers
# SPDX-License-Identifier: MIT
# The game in Japanese, German (a decimal comma) and the C locale: the
# locales are made here, without root, into a folder of the test's own
# (LOCPATH), so that they really exist whatever the machine has generated.
# locale_game runs once in each, as a desktop in that language starts it
# (LANG and LANGUAGE), and what the three runs saw must match byte for byte.
# Usage: locale-test.sh <locale_game> <output folder>
set -euo pipefail
game=$1 out=$2
rm -rf "$out"
mkdir -p "$out/locales"
for name in ja_JP de_DE; do
    localedef -i "$name" -f UTF-8 "$out/locales/$name.UTF-8" \
        || { echo "localedef could not make $name.UTF-8 (package locales: scripts/install-deps test)"; exit 1; }
done
runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT

status=0
for locale in ja_JP.UTF-8 de_DE.UTF-8 C.UTF-8; do
    language=${locale%%_*}
    [ "$language" = C.UTF-8 ] && language=
    echo "== $locale"
    env -i PATH="$PATH" HOME="${HOME:-$runtime}" XDG_RUNTIME_DIR="$runtime" QT_QPA_PLATFORM=offscreen \
        LANG="$locale" ${language:+LANGUAGE="$language"} LOCPATH="$out/locales" \
        ${ASAN_OPTIONS:+ASAN_OPTIONS="$ASAN_OPTIONS"} ${LSAN_OPTIONS:+LSAN_OPTIONS="$LSAN_OPTIONS"} \
        ${UBSAN_OPTIONS:+UBSAN_OPTIONS="$UBSAN_OPTIONS"} \
        TAMBLO_EXPECTED_LOCALE="$locale" TAMBLO_FINGERPRINT="$out/$locale.txt" \
        "$game" || status=1
done
for locale in ja_JP.UTF-8 de_DE.UTF-8; do
    if ! cmp -s "$out/C.UTF-8.txt" "$out/$locale.txt"; then
        echo "the game in $locale differs from the game in C.UTF-8:"
        diff -u "$out/C.UTF-8.txt" "$out/$locale.txt" || true
        status=1
    fi
done
[ "$status" -eq 0 ] && { echo "the same game in ja_JP.UTF-8, de_DE.UTF-8 and C.UTF-8:"; cat "$out/C.UTF-8.txt"; }
exit "$status"
