#!/usr/bin/env bash
# Runs a 32-bit Windows test program on the 32-bit route (scripts/wine32.sh): inside the namespace
# that start_wine32 holds, in the Debian 13 chroot with Wine 10, in the prefix
# build/wineprefix-i686. Wine's own chatter goes to a log file so that only the program's output
# reaches ctest.
: "${MORVANE_WINE_LOG:=/dev/null}"
: "${MORVANE_WINE32_HOLDER:?the namespace comes from start_wine32 in scripts/common.sh}"
exec nsenter -t "$MORVANE_WINE32_HOLDER" --user --mount -- chroot "$MORVANE_WINE32_ROOT" \
    /usr/bin/env -C "$PWD" WINEPREFIX="$MORVANE_WINE32_PREFIX" /usr/lib/wine/wine64 "$@" \
    2>>"$MORVANE_WINE_LOG"
