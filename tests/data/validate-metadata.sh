#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Tamblo developers
# SPDX-License-Identifier: MIT
# The desktop entry and the metainfo, checked as desktops and software
# centres read them: the entry without even a hint, the metainfo without an
# error or a warning, but for the missing homepage, which the project does
# not have yet.
# Usage: validate-metadata.sh <desktop entry> <metainfo>
set -uo pipefail
# The validators' words are read below: in English, whatever the desktop's
# language (a Japanese one says 検証失敗 for a failed validation).
export LC_ALL=C.UTF-8 LANGUAGE=
status=0

entry=$(desktop-file-validate "$1" 2>&1)
rc=$?
if [ $rc -ne 0 ] || [ -n "$entry" ]; then
    printf 'desktop entry:\n%s\n' "$entry"
    status=1
fi

metainfo=$(appstreamcli validate --no-net --no-color "$2" 2>&1)
printf '%s\n' "$metainfo"
unexpected=$(printf '%s\n' "$metainfo" | grep -E '^[EW]:' | grep -v ': url-homepage-missing$')
if [ -n "$unexpected" ] || ! grep -q 'Validation' <<<"$metainfo"; then
    printf 'metainfo problems beyond the missing homepage:\n%s\n' "$unexpected"
    status=1
fi
exit $status
