#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Tamblo developers
# SPDX-License-Identifier: MIT
# The package as a player meets it, on a machine of its own (as root, meant
# for a pristine system: ../shared/tools/fresh-check.sh . tests/package/installed-run.sh):
# builds the .deb, installs it with apt, starts the game from its desktop
# entry's Exec as an ordinary user under Xvfb, checks that the window has
# its icon and that the record lands in the player's data folder when the
# game is closed by SIGTERM, then purges the package and checks that none
# of its files is left.
set -euo pipefail
cd "$(dirname "$0")/../.."
die() { echo "installed run: $*" >&2; exit 1; }

scripts/package
deb=$(ls build/package/tamblo_*_*.deb)
export DEBIAN_FRONTEND=noninteractive
apt-get install -y -qq "./$deb" >/dev/null
apt-get install -y -qq --no-install-recommends xvfb xauth xdotool x11-utils >/dev/null
files=$(dpkg -L tamblo | while read -r f; do if [ -f "$f" ]; then echo "$f"; fi; done)

id player >/dev/null 2>&1 || useradd -m player
exec_line=$(sed -n 's/^Exec=//p' /usr/share/applications/org.tamblo.Tamblo.desktop)
cat >/tmp/player-session.sh <<SESSION
set -eu
$exec_line &
pid=\$!
for _ in \$(seq 100); do
    win=\$(xdotool search --onlyvisible --pid \$pid 2>/dev/null | head -1) && [ -n "\$win" ] && break
    sleep 0.1
done
[ -n "\$win" ] || { echo "no window"; exit 1; }
xprop -id "\$win" _NET_WM_ICON | head -c 80; echo
xprop -id "\$win" _NET_WM_ICON | grep -q 'Icon (' || { echo "the window has no icon"; exit 1; }
kill -TERM \$pid
# It saves, then ends by the signal it got: 128 + 15.
status=0
wait \$pid || status=\$?
[ "\$status" -eq 143 ] || { echo "the game ended with status \$status on SIGTERM, not 143"; exit 1; }
SESSION
chmod 644 /tmp/player-session.sh
su -l player -c "xvfb-run -a sh /tmp/player-session.sh" || die "the game did not run for the player"
record=/home/player/.local/share/tamblo/HighScore.mtt
[ "$(tr -d '\r' <"$record")" = 999 ] || die "no record in the player's data folder"
echo "record: $record ($(stat -c %U "$record"))"

apt-get purge -y -qq tamblo >/dev/null
left=$(for f in $files; do if [ -e "$f" ]; then echo "$f"; fi; done)
[ -z "$left" ] || die "left behind after purge: $left"
! dpkg -s tamblo >/dev/null 2>&1 || die "still known to dpkg after purge"
echo "installed run: installed, played by an ordinary user, purged without a trace"
