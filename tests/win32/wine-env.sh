# SPDX-FileCopyrightText: 2026 Tamblo developers
# SPDX-License-Identifier: MIT
# Sourced by the Wine test and the Windows start-up benchmark: what the
# Windows program needs to run here as on a Japanese desktop, all of it in a
# work folder of the caller's own.

# A Japanese UTF-8 locale, which Wine takes its language from (the boxes'
# はい and いいえ): the system's, or one made in the work folder without
# root. Exports LC_ALL and LANG, and LOCPATH when made here.
japanese_locale() { # work folder
    if ! locale -a 2>/dev/null | grep -qixE 'ja_JP\.utf-?8'; then
        mkdir -p "$1/locale"
        localedef -i ja_JP -f UTF-8 "$1/locale/ja_JP.UTF-8" || true
        export LOCPATH=$1/locale
    fi
    [ "$(LC_ALL=ja_JP.UTF-8 locale charmap 2>/dev/null)" = UTF-8 ] || { echo "no Japanese UTF-8 locale"; return 1; }
    unset LANGUAGE
    export LC_ALL=ja_JP.UTF-8 LANG=ja_JP.UTF-8
}

# Wine opens files in its server, a process of the session: as root, the
# whole session goes without the right to override file permissions, so
# that a read-only folder stays read-only for the game as for a user. Run
# a session as "${wine_user[@]}" command...
wine_user=()
[ "$(id -u)" -ne 0 ] || wine_user=(setpriv --bounding-set=-dac_override,-dac_read_search)

# A new Wine prefix in the work folder, with its own home, inside the X
# server of $DISPLAY. Exports WINEPREFIX and the rest of Wine's settings.
wine_prefix() { # work folder
    export WINEPREFIX=$1/prefix WINEDEBUG=-all HOME=$1/home
    # No Mono or Gecko installer, and no menu entries written into the home.
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    mkdir -p "$HOME"
    wineboot -i >"$1/wineboot.log" 2>&1 || { cat "$1/wineboot.log"; echo "wineboot could not make a prefix"; return 1; }
    # No window manager runs here: Wine draws the windows' frames itself,
    # and a closing box does not wait for a window manager's answer that
    # never comes (two seconds, and the click after it lost).
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 \
        || { echo "cannot set Wine's X11 driver up"; return 1; }
}
