#!/usr/bin/env bash
# Runs a Windows test program under wine64. WINEPREFIX and DISPLAY come from scripts/test;
# Wine's own chatter goes to a log file so that only the program's output reaches ctest. With
# MORVANE_WINE_DPI set, the program runs in the prefix of that display DPI beside WINEPREFIX
# (build/wineprefix-144), which start_wine in scripts/common.sh prepares.
: "${MORVANE_WINE_LOG:=/dev/null}"
if [ -n "${MORVANE_WINE_DPI:-}" ]; then
    export WINEPREFIX="${WINEPREFIX:?the prefixes come from start_wine}-$MORVANE_WINE_DPI"
fi
exec /usr/lib/wine/wine64 "$@" 2>>"$MORVANE_WINE_LOG"
