# The 32-bit route, sourced by scripts/common.sh: how the i686 build runs on a machine whose kernel
# refuses 32-bit code.
#
# A Debian 13 chroot holds Wine 10; its 64-bit half runs natively, and the 32-bit half of the same
# Wine version is only extracted into /opt/i386root inside it, never installed, so no dpkg ever
# gets the i386 architecture. The 32-bit Unix side of Wine runs under qemu-i386 (user-mode
# emulation): a binfmt_misc entry sends i386 ELF files to it. That entry lives in a binfmt_misc
# instance private to a user namespace of our own, which a holder process keeps alive for a test
# run; every command of the run joins that one namespace, since Wine reads other processes'
# memory through /proc, which fails across namespaces. Nothing is installed or registered on the
# host but Debian 12's debootstrap.
#
# The chroot is made once, in MORVANE_CACHE (default ~/.cache/morvane), and kept: a clean build
# tree does not make it again. Its Wine prefix is build/wineprefix-i686.
# shellcheck shell=bash

WINE32_HOME="${MORVANE_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/morvane}/wine32"
WINE32_ROOT="$WINE32_HOME/root"
WINE32_MIRROR="${MORVANE_DEBIAN_MIRROR:-http://deb.debian.org/debian}"
# Raised whenever the steps of prepare_wine32 change, so that an older chroot is made again.
WINE32_RECIPE=1
WINE32_HOLDER=""

# as_root_in DIR COMMAND: runs a shell command as root in the chroot DIR, with /proc and /dev
# mounted in a mount namespace of its own, so that nothing stays mounted on the host.
as_root_in() {
    local dir=$1 sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo unshare --mount --propagation private sh -c \
        'mount -t proc proc "$1/proc" && mount --rbind /dev "$1/dev" && chroot "$1" sh -ec "$2"' \
        as_root_in "$dir" "$2"
}

# prepare_wine32: makes the chroot once (about two to six minutes, depending on the mirror); a
# second call returns at once. It is made beside its final place and moved there whole, so an
# interrupted set-up starts again from nothing.
prepare_wine32() {
    [ "$(cat "$WINE32_HOME/ready" 2>/dev/null)" = "$WINE32_RECIPE" ] && return 0
    local new="$WINE32_HOME/root.new" sudo="" version
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    local log="$BUILD/wine32-setup.log"
    log "setting up the 32-bit route in $WINE32_HOME (log: $log)"
    mkdir -p "$WINE32_HOME"
    # Nothing is ever mounted below root.new outside a private namespace, so it is safe to remove.
    $sudo rm -rf "$new"
    {
        log "debootstrap: Debian 13 (trixie)" &&
            $sudo debootstrap --variant=minbase --arch=amd64 trixie "$new" "$WINE32_MIRROR" &&
            log "Wine 10 and the fonts" &&
            as_root_in "$new" 'apt-get update -qq
                DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
                    wine wine64 libwine fonts-wine fonts-liberation mmdebstrap' &&
            version=$(chroot "$new" dpkg-query -W -f='${Version}' libwine) &&
            # Pinned to the amd64 half's version: a mirror update between the steps must not
            # mix two Wine versions.
            log "the i386 half of Wine $version, extracted" &&
            as_root_in "$new" "mmdebstrap --quiet --variant=extract --arch=i386 \
                --include=wine32=$version,libwine=$version,libc6 trixie /opt/i386root $WINE32_MIRROR" &&
            log "qemu-i386" &&
            as_root_in "$new" 'cd /tmp && apt-get download -qq qemu-user &&
                dpkg-deb -x qemu-user_*.deb /tmp/qemu && cp /tmp/qemu/usr/bin/qemu-i386 /usr/local/bin/ &&
                rm -rf /tmp/qemu qemu-user_*.deb' &&
            log "fix-ups" &&
            as_root_in "$new" '
                i=/opt/i386root
                # qemu must not read the amd64 loader cache and load 64-bit libraries.
                printf "%s\n" /usr/lib/i386-linux-gnu /usr/lib/i386-linux-gnu/wine >$i/etc/ld.so.conf
                rm -rf $i/etc/ld.so.conf.d
                # Merged /usr: the i386 loader is asked for as /lib/ld-linux.so.2.
                ln -sfn usr/lib $i/lib
                ldconfig -r $i
                # qemu looks for the i386 libraries under this prefix by default.
                mkdir -p /usr/gnemul && ln -sfn $i /usr/gnemul/qemu-i386
                # The native wineserver opens the 32-bit DLLs at their real paths.
                ln -sfn $i/usr/lib/i386-linux-gnu /usr/lib/i386-linux-gnu
                # What the i386 libwine would have set up had it been installed: zlib, as its
                # postinst writes it, and the 32-bit loader that the 64-bit side starts.
                cp /usr/lib/x86_64-linux-gnu/wine/i386-windows/zlib1.dll \
                    $i/usr/lib/i386-linux-gnu/wine/i386-windows/zlib1.dll
                cp $i/usr/lib/wine/wine /usr/lib/wine/wine
                # qemu would show these in place of the real /dev and /tmp.
                rm -rf $i/dev $i/tmp
                apt-get clean'
    } >>"$log" 2>&1 || { tail -30 "$log"; return 1; }
    $sudo rm -rf "$WINE32_ROOT" && mv "$new" "$WINE32_ROOT" &&
        echo "$WINE32_RECIPE" >"$WINE32_HOME/ready"
}

# in_wine32 COMMAND...: runs a command inside the holder's namespace and the chroot, in the
# current folder (the source and build trees are seen at their own paths there), with the
# 32-bit route's prefix.
in_wine32() {
    nsenter -t "${MORVANE_WINE32_HOLDER:?start_wine32 first}" --user --mount -- \
        chroot "$WINE32_ROOT" /usr/bin/env -C "$PWD" WINEPREFIX="$BUILD/wineprefix-i686" "$@"
}

# start_wine32: starts the holder of the namespace (binfmt entry, the trees and /tmp mounted into
# the chroot), prepares the prefix and starts its server. start_wine comes first: the display.
start_wine32() {
    local ready="$BUILD/wine32-holder.ready" binds=("$ROOT")
    [[ "$BUILD/" == "$ROOT/"* ]] || binds+=("$BUILD")
    rm -f "$ready"
    # The i386 ELF magic, machine 3; the mask lets executables and shared objects both through.
    local magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
    local mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    unshare --user --map-root-user --mount --propagation private sh -ec '
        root=$1 ready=$2 magic=$3 mask=$4; shift 4
        mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
        # F: qemu is opened now, so the entry works inside the chroot too.
        printf ":morvane-i386:M::%s:%s:%s:F" "$magic" "$mask" "$root/usr/local/bin/qemu-i386" \
            >/proc/sys/fs/binfmt_misc/register
        for d in proc dev sys; do mount --rbind /$d "$root/$d"; done
        mount --rbind /tmp "$root/tmp"
        for d in "$@"; do mkdir -p "$root$d" && mount --rbind "$d" "$root$d"; done
        touch "$ready"
        exec sleep infinity' holder "$WINE32_ROOT" "$ready" "$magic" "$mask" "${binds[@]}" \
        >>"$BUILD/wine32-holder.log" 2>&1 &
    WINE32_HOLDER=$!
    for _ in $(seq 100); do [ -e "$ready" ] && break; sleep 0.1; done
    if [ ! -e "$ready" ]; then
        tail -5 "$BUILD/wine32-holder.log"
        stop_wine32
        return 1
    fi
    # For cmake/wine32-run.sh, which ctest starts.
    export MORVANE_WINE32_HOLDER=$WINE32_HOLDER MORVANE_WINE32_ROOT=$WINE32_ROOT
    export MORVANE_WINE32_PREFIX="$BUILD/wineprefix-i686"
    local prefix=$MORVANE_WINE32_PREFIX
    if [ ! -f "$prefix/.morvane-ready" ]; then
        log "preparing Wine 10 prefix $prefix"
        in_wine32 /usr/lib/wine/wine64 wineboot -i >>"$MORVANE_WINE_LOG" 2>&1 </dev/null &&
            in_wine32 /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' \
                /v Managed /d N /f >>"$MORVANE_WINE_LOG" 2>&1 </dev/null &&
            in_wine32 /usr/lib/wine/wineserver -w &&
            touch "$prefix/.morvane-ready" || { stop_wine32; return 1; }
    fi
    # A persistent server keeps each program start fast; stop_wine32 ends it.
    in_wine32 /usr/lib/wine/wineserver -p >>"$MORVANE_WINE_LOG" 2>&1
    in_wine32 /usr/lib/wine/wine64 wineboot >>"$MORVANE_WINE_LOG" 2>&1 </dev/null
}

stop_wine32() {
    if [ -n "$WINE32_HOLDER" ]; then
        in_wine32 /usr/lib/wine/wineserver -k >/dev/null 2>&1
        kill "$WINE32_HOLDER" 2>/dev/null
        wait "$WINE32_HOLDER" 2>/dev/null
    fi
    WINE32_HOLDER=""
    unset MORVANE_WINE32_HOLDER
}
