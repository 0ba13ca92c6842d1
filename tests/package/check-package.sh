#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Tamblo developers
# SPDX-License-Identifier: MIT
# lintian on the package as a distribution's archive would run it, every
# tag shown: fails on any error or warning and on any hardening tag, whose
# level is only informational.
# Usage: check-package.sh <package.deb>
set -uo pipefail
# Without lintian there is no check: that fails, it never passes.
command -v lintian >/dev/null 2>&1 || { echo "check-package: lintian not found (scripts/install-deps test)" >&2; exit 1; }
report=$(lintian -I --pedantic --tag-display-limit 0 "$1" 2>&1)
rc=$?
printf '%s\n' "$report"
bad=$(printf '%s\n' "$report" | grep -E '^[EW]: |^[IP]: [^ ]+: hardening-')
if [ $rc -ne 0 ] || [ -n "$bad" ]; then
    echo "lintian: the package is not clean"
    exit 1
fi
echo "lintian: clean"
