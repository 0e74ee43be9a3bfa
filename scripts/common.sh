# Shared by scripts/run and scripts/test: package installation, builds and the Wine set-up.
# shellcheck shell=bash

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${MORVANE_BUILD:-$ROOT/build}"
WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64
PACKAGES=(g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine wine64 xvfb xauth cmake
          ninja-build googletest imagemagick g++ clang libclang-rt-14-dev zip unzip debootstrap
          fonts-wine fonts-liberation)

log() { printf '== %s\n' "$*"; }

install_packages() {
    local missing=()
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    log "installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" \
        >"$BUILD/apt.log" 2>&1 || { cat "$BUILD/apt.log"; return 1; }
}

# configure_build NAME PRESET [cmake --build args...]: configures one tree under $BUILD with a
# preset of CMakePresets.json, the one source of the build options, and builds it. The preset is
# applied on every run, so options changed by hand in the tree are put back. A tree made with
# another preset, other presets or other MinGW C compilers (the fixture DLLs need the ones found
# at configure time, or their tests would keep being left out) is configured afresh.
configure_build() {
    local name=$1 preset=$2; shift 2
    local dir="$BUILD/$name"
    local stamp="$dir/morvane-configured-with.txt"
    local wanted
    wanted=$(printf '%s\n' "preset=$preset" "$(sha256sum <"$ROOT/CMakePresets.json")" \
        "mingw64=$(command -v x86_64-w64-mingw32-gcc-posix)" \
        "mingw32=$(command -v i686-w64-mingw32-gcc-posix)")
    local fresh=()
    if [ -f "$dir/CMakeCache.txt" ] && [ "$(cat "$stamp" 2>/dev/null)" != "$wanted" ]; then
        log "configuring $name afresh: it was configured otherwise"
        fresh=(--fresh)
    fi
    rm -f "$stamp"
    if ! (cd "$ROOT" && cmake "${fresh[@]}" --preset "$preset" -B "$dir") \
        >"$BUILD/$name-configure.log" 2>&1; then
        # A tree configured by hand with another generator cannot be configured over.
        [ ${#fresh[@]} -eq 0 ] && (cd "$ROOT" && cmake --fresh --preset "$preset" -B "$dir") \
            >"$BUILD/$name-configure.log" 2>&1 || { cat "$BUILD/$name-configure.log"; return 1; }
    fi
    printf '%s\n' "$wanted" >"$stamp"
    log "building $name"
    cmake --build "$dir" -j "$(nproc)" "$@" >"$BUILD/$name-build.log" 2>&1 \
        || { tail -60 "$BUILD/$name-build.log"; return 1; }
}

build_win64() { configure_build win64 mingw-x64 "$@"; }
build_win32() { configure_build win32 mingw-i686 "$@"; }

XVFB_PID=""
# The end-to-end tests run a second time in a prefix whose display is set to this DPI (150 %).
SCALED_DPI=144

# prepare_prefix DIR [DPI]: makes a Wine prefix once, with the X11 driver unmanaged and, when
# given, the display's DPI.
prepare_prefix() {
    local prefix=$1 dpi=${2:-}
    [ -f "$prefix/.morvane-ready" ] && return 0
    log "preparing Wine prefix $prefix"
    WINEPREFIX="$prefix" "$WINE64" wineboot -i >>"$MORVANE_WINE_LOG" 2>&1 </dev/null
    WINEPREFIX="$prefix" "$WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
        >>"$MORVANE_WINE_LOG" 2>&1 </dev/null
    [ -n "$dpi" ] && WINEPREFIX="$prefix" "$WINE64" reg add 'HKCU\Control Panel\Desktop' \
        /v LogPixels /t REG_DWORD /d "$dpi" /f >>"$MORVANE_WINE_LOG" 2>&1 </dev/null
    WINEPREFIX="$prefix" "$WINESERVER" -w
    touch "$prefix/.morvane-ready"
}

# wine_fonts PREFIX: Wine's own fonts (Tahoma, Marlett, ...), which Wine 8 reads from the prefix's
# Fonts folder only, copied there on every start, so that a prefix made before they were installed
# gets them too. Arial comes from Liberation Sans through fontconfig.
wine_fonts() {
    local fonts="$1/drive_c/windows/Fonts"
    mkdir -p "$fonts" && cp -n /usr/share/wine/fonts/*.ttf "$fonts"/ 2>/dev/null
    return 0
}

# Start a private X server when there is no display, then prepare the Wine prefixes inside the
# build tree: build/wineprefix at 96 DPI and build/wineprefix-144 at 144. Without a window manager
# Wine stalls 2 s whenever a window hides unless it runs unmanaged.
start_wine() {
    export WINEPREFIX="$BUILD/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    export MORVANE_WINE_LOG="$BUILD/wine.log"
    if [ -z "${DISPLAY:-}" ] || [ "${MORVANE_PRIVATE_DISPLAY:-0}" = 1 ]; then
        local n=90
        while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$BUILD/xvfb.log" 2>&1 &
        XVFB_PID=$!
        export DISPLAY=":$n"
        for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    fi
    prepare_prefix "$WINEPREFIX"
    prepare_prefix "$WINEPREFIX-$SCALED_DPI" "$SCALED_DPI"
    wine_fonts "$WINEPREFIX"
    wine_fonts "$WINEPREFIX-$SCALED_DPI"
    # A persistent server keeps each program start fast; stop_wine ends it.
    for prefix in "$WINEPREFIX" "$WINEPREFIX-$SCALED_DPI"; do
        WINEPREFIX="$prefix" "$WINESERVER" -p >>"$MORVANE_WINE_LOG" 2>&1
        WINEPREFIX="$prefix" "$WINE64" wineboot >>"$MORVANE_WINE_LOG" 2>&1 </dev/null
    done
}

stop_wine() {
    if [ -n "${WINEPREFIX:-}" ]; then
        "$WINESERVER" -k >/dev/null 2>&1
        WINEPREFIX="$WINEPREFIX-$SCALED_DPI" "$WINESERVER" -k >/dev/null 2>&1
    fi
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
    XVFB_PID=""
}

# Path of a Linux file as Wine's programs see it.
winpath() { printf 'Z:%s' "${1//\//\\}"; }

source "$ROOT/scripts/wine32.sh"
