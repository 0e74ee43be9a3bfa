# Shared by scripts/run and scripts/test: package installation, builds and the Wine set-up.
# shellcheck shell=bash

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${MORVANE_BUILD:-$ROOT/build}"
WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64
PACKAGES=(g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine wine64 xvfb xauth cmake
          ninja-build googletest imagemagick g++ clang libclang-rt-14-dev)

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

# cache_holds CACHE [cmake args...]: every -DNAME=VALUE among the arguments is what the cache
# holds, whoever configured the tree last.
cache_holds() {
    local cache=$1 arg name value; shift
    [ -f "$cache" ] || return 1
    for arg in "$@"; do
        [[ $arg == -D*=* ]] || continue
        name=${arg#-D} value=${arg#*=}
        name=${name%%=*} name=${name%%:*}
        awk -v n="$name" -v v="$value" '
            { key = $0; sub(/[:=].*/, "", key) }
            key == n { sub(/^[^=]*=/, ""); found = ($0 == v) }
            END { exit !found }' "$cache" || return 1
    done
}

# configure_build NAME [cmake args...]: configure and build one tree under $BUILD. A tree is
# configured afresh whenever it was configured otherwise: other options or compilers, or without
# the MinGW C compilers that the test fixtures need (a tree configured before they were
# installed would keep leaving those tests out). What it was configured with is kept in a stamp
# and the options are compared with the tree's cache as well.
configure_build() {
    local name=$1; shift
    local dir="$BUILD/$name"
    local stamp="$dir/morvane-configured-with.txt"
    local wanted
    wanted=$(printf '%s\n' "$@" "CC=${CC:-}" "CXX=${CXX:-}" \
        "mingw64=$(command -v x86_64-w64-mingw32-gcc-posix)" \
        "mingw32=$(command -v i686-w64-mingw32-gcc-posix)")
    if [ ! -f "$dir/build.ninja" ] || [ "$(cat "$stamp" 2>/dev/null)" != "$wanted" ] ||
        ! cache_holds "$dir/CMakeCache.txt" "$@"; then
        local fresh=()
        if [ -f "$dir/CMakeCache.txt" ]; then
            log "configuring $name afresh: its options differ from the ones wanted"
            fresh=(--fresh)
        fi
        rm -f "$stamp"
        cmake "${fresh[@]}" -S "$ROOT" -B "$dir" -G Ninja "$@" >"$BUILD/$name-configure.log" 2>&1 \
            || { cat "$BUILD/$name-configure.log"; return 1; }
        printf '%s\n' "$wanted" >"$stamp"
    fi
    log "building $name"
    cmake --build "$dir" -j "$(nproc)" >"$BUILD/$name-build.log" 2>&1 \
        || { tail -60 "$BUILD/$name-build.log"; return 1; }
}

build_win64() { configure_build win64 -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release "$@"; }
build_win32() { configure_build win32 -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release "$@"; }

XVFB_PID=""
# Start a private X server when there is no display, then prepare a Wine prefix inside the build
# tree. Without a window manager Wine stalls 2 s whenever a window hides unless it runs unmanaged.
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
    if [ ! -f "$WINEPREFIX/.morvane-ready" ]; then
        log "preparing Wine prefix $WINEPREFIX"
        "$WINE64" wineboot -i >>"$MORVANE_WINE_LOG" 2>&1 </dev/null
        "$WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >>"$MORVANE_WINE_LOG" 2>&1 </dev/null
        "$WINESERVER" -w
        touch "$WINEPREFIX/.morvane-ready"
    fi
    # A persistent server keeps each program start fast; stop_wine ends it.
    "$WINESERVER" -p >>"$MORVANE_WINE_LOG" 2>&1
    "$WINE64" wineboot >>"$MORVANE_WINE_LOG" 2>&1 </dev/null
}

stop_wine() {
    [ -n "${WINEPREFIX:-}" ] && "$WINESERVER" -k >/dev/null 2>&1
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
    XVFB_PID=""
}

# Path of a Linux file as Wine's programs see it.
winpath() { printf 'Z:%s' "${1//\//\\}"; }
