#!/usr/bin/env bash
# Runs a Windows test program under wine64. WINEPREFIX and DISPLAY come from scripts/test;
# Wine's own chatter goes to a log file so that only the program's output reaches ctest.
: "${MORVANE_WINE_LOG:=/dev/null}"
exec /usr/lib/wine/wine64 "$@" 2>>"$MORVANE_WINE_LOG"
