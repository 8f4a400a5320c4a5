#!/bin/sh
# The Wine test bed: one prefix per build directory, created once and reused;
# Xvfb when there is no display; a pristine copy of the prefix's registry and
# a list of its files, restored before each end-to-end test.
#
#   winebed.sh arch                 prints the machine the tests play: i686 or x86_64,
#                                   what this machine's Wine runs, or TAV_TEST_ARCH
#   winebed.sh describe [DIR]       prints the Wine version and the kind of prefix (of DIR's)
#   winebed.sh prepare DIR          creates DIR/prefix if missing
#   winebed.sh start DIR            starts Xvfb if needed (and the prefix's wineserver)
#   winebed.sh run DIR PROGRAM ...  runs a Windows program; TAV_FRESH=1 restores the prefix first
#   winebed.sh restore DIR          puts the pristine registry and files back
#   winebed.sh flush DIR            stops the prefix's wineserver (its registry goes to disk)
#   winebed.sh stop DIR             stops the prefix's wineserver and our Xvfb
set -eu

command="$1"
shift

wine32_runs() {
    # A kernel without 32-bit emulation cannot start the i386 Wine loader.
    [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}

# The machines a bed can be:
#   i686    a 32-bit prefix (WINEARCH=win32): 32-bit Windows
#   wow64   a 64-bit prefix (WINEARCH=win64) running the 32-bit programs: a
#           32-bit program on 64-bit Windows, as most users run SETUP.EXE
#   x86_64  a 64-bit prefix running 64-bit programs, for kernels that cannot
#           run 32-bit programs
# TAV_TEST_ARCH names one; by default i686 where 32-bit Wine runs, else x86_64.
wine_arch() {
    case "${TAV_TEST_ARCH:-}" in
    i686 | x86_64) echo "$TAV_TEST_ARCH" ;;
    wow64)
        if ! wine32_runs; then
            echo "winebed.sh: TAV_TEST_ARCH=wow64 needs 32-bit Wine, which this kernel cannot run" >&2
            exit 2
        fi
        echo wow64 ;;
    "") if wine32_runs; then echo i686; else echo x86_64; fi ;;
    *) echo "winebed.sh: TAV_TEST_ARCH must be i686, wow64 or x86_64" >&2; exit 2 ;;
    esac
}

if [ "$command" = arch ]; then
    wine_arch
    exit 0
fi

# A bed keeps the machine it was first made for (DIR/machine), whatever the
# environment of the commands that use it later.
bed_arch() {
    if [ -f "$1/machine" ]; then cat "$1/machine"; else wine_arch; fi
}

describe() {
    case "$1" in
    i686) echo "$(/usr/lib/wine/wine --version), 32-bit prefix (win32)" ;;
    wow64) echo "$(/usr/lib/wine/wine --version), 64-bit prefix (win64), 32-bit programs (WOW64)" ;;
    *) echo "$(/usr/lib/wine/wine64 --version), 64-bit prefix (win64)" ;;
    esac
}

if [ "$command" = describe ]; then
    # What the figures of a run were taken with.
    if [ $# -gt 0 ]; then describe "$(bed_arch "$1")"; else describe "$(wine_arch)"; fi
    exit 0
fi

dir="$1"
shift
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)

export WINEPREFIX="$dir/prefix"
export WINEDEBUG=-all
# No Mono or Gecko prompts, no Linux menu entries for the shortcuts we make.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LANG=fr_FR.UTF-8 LC_ALL=fr_FR.UTF-8
# Xlib reads ~/.Xdefaults again on every look-up for as long as it holds no
# resource at all, which under Xvfb (no session loads any) is every paint.
# One resource of the bed's own makes it read once.
export XENVIRONMENT="$dir/Xresources"
[ -f "$XENVIRONMENT" ] || printf 'winebed.quiet: 1\n' > "$XENVIRONMENT"
arch=$(bed_arch "$dir")
case "$arch" in
i686)
    export WINEARCH=win32
    wine=/usr/lib/wine/wine ;;
wow64)
    # The 32-bit loader in a 64-bit prefix: SysWOW64, Program Files (x86)
    # and the 32-bit registry view, as Windows gives a 32-bit program.
    export WINEARCH=win64
    wine=/usr/lib/wine/wine ;;
*)
    export WINEARCH=win64
    wine=/usr/lib/wine/wine64 ;;
esac
server=/usr/lib/wine/wineserver

use_display() {
    if [ -z "${DISPLAY:-}" ] && [ -f "$dir/display" ]; then
        export DISPLAY=":$(cat "$dir/display")"
    fi
}

stop_server() {
    if [ -d "$WINEPREFIX" ]; then
        "$server" -k 2>/dev/null || true
        "$server" -w 2>/dev/null || true
    fi
}

restore() {
    stop_server
    cp "$dir/pristine/system.reg" "$dir/pristine/user.reg" "$dir/pristine/userdef.reg" "$WINEPREFIX/" || return 1
    # Whatever a test added under drive_c goes; what the prefix had stays.
    (cd "$WINEPREFIX" && find drive_c -mindepth 1 | LC_ALL=C sort) > "$dir/now.list" || return 1
    LC_ALL=C comm -13 "$dir/pristine/files.list" "$dir/now.list" |
        (cd "$WINEPREFIX" && while IFS= read -r f; do rm -rf "./$f" || exit 1; done) || return 1
    rm -f "$dir/now.list"
}

# Raised whenever prepare makes a different prefix, so that an older one is
# made again.
bed_version=3

case "$command" in
prepare)
    if [ "$(cat "$dir/pristine/version" 2>/dev/null)" != "$bed_version" ] ||
        [ "$(cat "$dir/machine" 2>/dev/null)" != "$arch" ] ||
        [ ! -f "$dir/pristine/files.list" ]; then
        stop_server
        rm -rf "$WINEPREFIX" "$dir/pristine"
        echo "$arch" > "$dir/machine"
        # A 64-bit prefix is made by the 64-bit loader.
        if [ "$WINEARCH" = win64 ]; then boot=/usr/lib/wine/wine64; else boot="$wine"; fi
        "$boot" wineboot -i >/dev/null 2>&1 || true
        # Debian's Wine does not find the fonts of fonts-wine where that
        # package puts them: without Marlett the caption buttons are drawn
        # as letters; Tahoma and MS Sans Serif (the bitmap sserife.fon, as
        # the prefix's registry names it) are the dialog fonts. Wine reads
        # the Windows font folder at every start.
        for font in /usr/share/wine/fonts/*.ttf /usr/share/wine/fonts/*.fon; do
            [ -f "$font" ] || { echo "winebed.sh: Wine's fonts are missing (fonts-wine)" >&2; exit 1; }
            cp "$font" "$WINEPREFIX/drive_c/windows/Fonts/"
        done
        # Without a window manager Wine waits 2 s on every hidden window
        # unless it manages the windows itself.
        "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
        stop_server
        # Wine links the user's Desktop and documents to the Unix home; the
        # tests' shortcuts must stay inside the prefix.
        for link in "$WINEPREFIX"/drive_c/users/*/*; do
            if [ -L "$link" ]; then rm -f "$link" && mkdir "$link"; fi
        done
        mkdir -p "$dir/pristine"
        cp "$WINEPREFIX/system.reg" "$WINEPREFIX/user.reg" "$WINEPREFIX/userdef.reg" "$dir/pristine/"
        (cd "$WINEPREFIX" && find drive_c -mindepth 1 | LC_ALL=C sort) > "$dir/pristine/files.list"
        echo "$bed_version" > "$dir/pristine/version"
    fi
    ;;
start)
    "$0" prepare "$dir"
    # A persistent server spares every test program the server's start-up.
    # Detached from our output: the server outlives us, and CTest waits
    # until every holder of a test's output has closed it. A server already
    # running will do.
    "$server" -p </dev/null >/dev/null 2>&1 || true
    if [ -z "${DISPLAY:-}" ]; then
        if [ -f "$dir/xvfb.pid" ] && kill -0 "$(cat "$dir/xvfb.pid")" 2>/dev/null; then
            :
        else
            exec 3>"$dir/display.fd"
            Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
            echo $! > "$dir/xvfb.pid"
            i=0
            while [ ! -s "$dir/display.fd" ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
            exec 3>&-
            tr -d '\n' < "$dir/display.fd" > "$dir/display"
            rm -f "$dir/display.fd"
        fi
    fi
    ;;
run)
    use_display
    if [ "${TAV_FRESH:-0}" = 1 ]; then
        # The restore counts only if the server that starts next is ours:
        # when a Wine process left over from the test before starts one
        # between the stop and our start, that server may have read the
        # registry as the test left it, so it is stopped and all is redone.
        tries=0
        until restore && "$server" -p </dev/null >/dev/null 2>&1; do
            tries=$((tries + 1))
            if [ $tries -ge 10 ]; then
                echo "winebed.sh: another server keeps starting in $WINEPREFIX; the prefix could not be restored" >&2
                exit 1
            fi
            echo "winebed.sh: a server started during the restore; restoring again" >&2
            sleep 0.2
        done
    fi
    # The first program of a fresh server starts Wine's background processes
    # (services, devices, explorer); they keep the standard error they were
    # given for as long as they live, and CTest waits until every holder of a
    # test's output has closed it. So the program's standard error goes
    # through a file.
    errors="$dir/stderr.$$"
    status=0
    "$wine" "$@" 2>"$errors" || status=$?
    cat "$errors" >&2
    rm -f "$errors"
    # A program that dies before it prints anything would fail its test
    # without a word.
    if [ $status -ne 0 ]; then
        echo "winebed.sh: $1 ended with status $status" >&2
    fi
    exit $status
    ;;
restore)
    restore
    ;;
flush)
    # the server writes its registry to disk when it stops
    stop_server
    ;;
stop)
    stop_server
    # Only our Xvfb: a number left from one that already ended may name
    # another process by now.
    if [ -f "$dir/xvfb.pid" ]; then
        pid=$(cat "$dir/xvfb.pid")
        if [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = Xvfb ]; then kill "$pid" 2>/dev/null || true; fi
        rm -f "$dir/xvfb.pid" "$dir/display"
    fi
    ;;
*)
    echo "winebed.sh: unknown command $command" >&2
    exit 2
    ;;
esac
