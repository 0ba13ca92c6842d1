#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Tamblo developers
# SPDX-License-Identifier: MIT
# Checks the Windows zip as a player unpacks it: exactly tamblo.exe,
# README.txt and LICENSE at its top, a 64-bit Windows program, and texts
# that Windows editors read (CR LF line ends, a README in Japanese and
# English that says where the record lives).
# Usage: check-windows-zip.sh <Tamblo-version-windows-x64.zip>
set -euo pipefail
zip=${1:?usage: $0 <zip>}
die() { echo "$zip: $*" >&2; exit 1; }
[ -f "$zip" ] || die "missing"
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
unzip -q "$zip" -d "$unpacked"

[ "$(cd "$unpacked" && find . -mindepth 1 | sort | tr '\n' ' ')" = "./LICENSE ./README.txt ./tamblo.exe " ] \
    || die "holds $(cd "$unpacked" && find . -mindepth 1 | tr '\n' ' ')"
# file(1) words it differently from release to release: "PE32+ executable
# (GUI) x86-64" or "PE32+ executable for MS Windows 5.02 (GUI), x86-64".
kind=$(file -b "$unpacked/tamblo.exe")
[[ $kind == PE32+\ executable* && $kind == *"(GUI)"* && $kind == *x86-64* ]] || die "tamblo.exe is $kind"
for text in LICENSE README.txt; do
    lines=$(wc -l <"$unpacked/$text")
    [ "$lines" -gt 0 ] && [ "$(grep -c $'\r$' "$unpacked/$text")" -eq "$lines" ] || die "$text: not every line ends in CR LF"
done
grep -q 'MIT License' "$unpacked/LICENSE" || die "LICENSE is not the MIT licence"
grep -q '%APPDATA%\\Tamblo' "$unpacked/README.txt" || die "README.txt does not say where the record lives"
grep -q '記録' "$unpacked/README.txt" && grep -q 'record' "$unpacked/README.txt" || die "README.txt is not in Japanese and English"
echo "$zip: ok"
