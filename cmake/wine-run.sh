#!/usr/bin/env bash
# Runs a Windows program of this build tree under Wine, in a Wine prefix that
# belongs to the build tree. CMake uses it as CMAKE_CROSSCOMPILING_EMULATOR, so
# CTest (and GoogleTest discovery) call it as:  wine-run.sh PROGRAM.exe ARGS...
#
# Usage
#   wine-run.sh PROGRAM [ARGS...]   run PROGRAM (an .exe path, or a Wine built-in
#                                   such as `reg` or `regedit`); the program's exit
#                                   code is passed through (124 on time-out)
#   wine-run.sh --setup             create the prefix (and display) if missing
#   wine-run.sh --prefix            print the prefix path (creating it if missing)
#   wine-run.sh --env               print the environment as `export` lines
#   wine-run.sh --shell CMD...      run a host command in that environment, e.g.
#                                   --shell wineserver -k   or   --shell ln -s ...
#   wine-run.sh --stop              stop this tree's wineserver and Xvfb
#   wine-run.sh --loader            print the Wine loader of this tree's
#                                   architecture if it runs here; otherwise say
#                                   why on standard error and exit 1
#
# Examples for tests (the prefix path is also in $WINEPREFIX inside every run):
#   wine-run.sh reg query "HKLM\Software\Ambergate Studio\Korvo" /v VX7R_setup
#   wine-run.sh --shell ln -sfn /some/folder '$WINEPREFIX/dosdevices/d:'   (then
#   wine-run.sh --shell wineserver -k  so that the new drive is seen)
#
# Architecture: the build tree's cache names it (KORVO_WINE_ARCH, set by the
# toolchain file): win32 for the i686 build, win64 for the x86-64 one. Each
# runs under its own loader, called directly: Debian's `wine`, `wineboot` and
# `regedit` commands pick the 32-bit loader whenever it is installed, which
# is wrong for a win64 prefix and fails where 32-bit code cannot run. Inside
# every run (and --shell) `wine`, `wineboot`, `winepath` and `regedit` on the
# PATH are this tree's loader.
#
# Where things live (STATE = <build tree>/wine):
#   STATE/template   the pristine prefix, made once per build tree under a lock
#   STATE/prefix     the prefix every run uses by default (a copy of the template)
#   STATE/home       HOME and the XDG folders of every run
#   STATE/log        output of prefix creation, Xvfb and wineserver
#   STATE/bin        the `wine` commands that call this tree's loader
#
# Environment it reads
#   KORVO_BUILD_DIR     the build tree; otherwise the nearest folder above the
#                       program (or the current folder) holding CMakeCache.txt
#   KORVO_WINEPREFIX    use this prefix instead of STATE/prefix; it is created as
#                       a copy of the template when missing (a fresh prefix per
#                       scenario: point it at a new folder)
#   KORVO_WINE_TIMEOUT  seconds before a run is killed (default 300)
#   KORVO_WINE_LOADER32 Wine's 32-bit loader (default /usr/lib/wine/wine, else
#                       `wine` on the PATH)
#   KORVO_WINE_LOADER64 Wine's 64-bit loader (default /usr/lib/wine/wine64,
#                       else `wine64` on the PATH)
#   DISPLAY             used when set; otherwise one Xvfb per build tree is
#                       started and kept (its display number is in STATE/display)
set -u

die() { echo "wine-run.sh: $*" >&2; exit 125; }

find_build_dir() {
    local dir
    for dir in "$@"; do
        [ -n "$dir" ] || continue
        dir=$(cd "$dir" 2>/dev/null && pwd -P) || continue
        while [ "$dir" != "/" ]; do
            if [ -f "$dir/CMakeCache.txt" ]; then
                echo "$dir"
                return 0
            fi
            dir=$(dirname "$dir")
        done
    done
    return 1
}

# ---- the build tree and the state folder -----------------------------------
program_dir=""
case "${1:-}" in
--*|"") ;;
*) [ -e "$1" ] && program_dir=$(dirname "$1") ;;
esac
if [ -n "${KORVO_BUILD_DIR:-}" ]; then
    build_dir=$KORVO_BUILD_DIR
else
    build_dir=$(find_build_dir "$program_dir" "$PWD") || die "no build tree found (set KORVO_BUILD_DIR)"
fi
state=$build_dir/wine
mkdir -p "$state/home" "$state/log" || die "cannot create $state"
state=$(cd "$state" && pwd -P)

export HOME=$state/home
export XDG_CONFIG_HOME=$HOME/.config
export XDG_DATA_HOME=$HOME/.local/share
export XDG_CACHE_HOME=$HOME/.cache
export XDG_STATE_HOME=$HOME/.local/state
export XDG_RUNTIME_DIR=$HOME/.runtime
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_STATE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

# ---- architecture and loader ---------------------------------------------------
arch=$(sed -n 's/^KORVO_WINE_ARCH:[A-Z]*=//p' "$build_dir/CMakeCache.txt" 2>/dev/null)
case "${arch:-win32}" in
win32) arch=win32 loader=${KORVO_WINE_LOADER32:-} standard=/usr/lib/wine/wine fallback=wine ;;
win64) loader=${KORVO_WINE_LOADER64:-} standard=/usr/lib/wine/wine64 fallback=wine64 ;;
*) die "unknown Wine architecture '$arch' in $build_dir/CMakeCache.txt" ;;
esac
if [ -z "$loader" ]; then
    loader=$standard
    # Elsewhere than on Debian the loader may live on the PATH.
    [ -e "$loader" ] || loader=$(command -v "$fallback") || loader=$fallback
fi
# Wine starts the processes that a program creates with this loader too.
export WINELOADER=$loader

# `wine` and the tools' short names for scripts run inside, bound to the
# loader through WINELOADER.
bin=$state/bin
if [ ! -x "$bin/wine" ]; then
    rm -rf "$bin.new.$$"
    mkdir -p "$bin.new.$$" || die "cannot create $bin"
    printf '%s\n' '#!/bin/sh' \
        '# This build tree'"'"'s Wine loader (WINELOADER); under another name, the' \
        '# Wine tool of that name.' \
        'name=${0##*/}' \
        '[ "$name" = wine ] && exec "$WINELOADER" "$@"' \
        'exec "$WINELOADER" "$name" "$@"' >"$bin.new.$$/wine"
    chmod +x "$bin.new.$$/wine"
    for tool in wineboot winepath regedit; do ln -s wine "$bin.new.$$/$tool"; done
    # Renamed into place whole, so that a run beside this one never sees half.
    mv -T "$bin.new.$$" "$bin" 2>/dev/null || rm -rf "$bin.new.$$"
fi
export PATH=$bin:$PATH

export WINEARCH=$arch
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d"
template=$state/template
export WINEPREFIX=${KORVO_WINEPREFIX:-$state/prefix}
timeout_s=${KORVO_WINE_TIMEOUT:-300}

# ---- display -----------------------------------------------------------------
display_alive() {
    if command -v xdpyinfo >/dev/null 2>&1; then
        xdpyinfo -display "$1" >/dev/null 2>&1
    else
        [ -S "/tmp/.X11-unix/X${1#:}" ] && [ -s "$state/xvfb.pid" ] && kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null
    fi
}

ensure_display() {
    if [ -n "${DISPLAY:-}" ]; then
        return 0
    fi
    (
        flock 8
        if [ -s "$state/display" ] && display_alive ":$(cat "$state/display")"; then
            exit 0
        fi
        rm -f "$state/display"
        # -displayfd picks a free display number and writes it once the server
        # is ready. The server is detached from our output so that CTest, which
        # waits for every writer of a test's output to go away, is not held up.
        : >"$state/display.new"
        # It must not inherit the lock's descriptor 8, or it would hold the lock.
        setsid Xvfb -displayfd 9 -screen 0 1280x1024x24 -nolisten tcp -noreset \
            9>"$state/display.new" 8>&- </dev/null >>"$state/log/xvfb.log" 2>&1 &
        echo $! >"$state/xvfb.pid"
        for _ in $(seq 1 100); do
            if [ -s "$state/display.new" ]; then
                tr -dc '0-9' <"$state/display.new" >"$state/display"
                rm -f "$state/display.new"
                exit 0
            fi
            sleep 0.1
        done
        exit 1
    ) 8>"$state/display.lock" || die "Xvfb did not start (see $state/log/xvfb.log)"
    DISPLAY=":$(cat "$state/display")"
    export DISPLAY
}

# ---- prefix --------------------------------------------------------------------
write_settings_reg() {
    cat <<'EOF'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1024x768"

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"
"Decorated"="N"

[HKEY_CURRENT_USER\Software\Wine\Direct3D]
"VideoMemorySize"="64"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000
EOF
}

# Builds the pristine prefix in $template. Runs under the prefix lock.
create_template() {
    local log=$state/log/prefix.log tmp=$state/template.new
    rm -rf "$tmp"
    echo "wine-run.sh: creating the Wine prefix of $build_dir (once)" >&2
    # The lock's descriptor 8 is closed here: the wineserver started by wineboot
    # outlives this function and must not hold the lock.
    (
        exec 8>&-
        export WINEPREFIX=$tmp
        timeout 300 wineboot -i </dev/null >>"$log" 2>&1 || exit 1
        mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
        cp -f /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null
        write_settings_reg | sed 's/$/\r/' >"$state/settings.reg"
        timeout 120 wine regedit /S "$(winepath -w "$state/settings.reg" 2>/dev/null)" </dev/null >>"$log" 2>&1 ||
            exit 1
        # The user folders (Desktop, Documents, ...) are links into $HOME: make
        # them real folders so that anything a program puts there stays inside.
        local link
        for link in "$WINEPREFIX"/drive_c/users/*/*; do
            if [ -L "$link" ]; then
                rm -f "$link" && mkdir -p "$link"
            fi
        done
        # The registry files are written only when the server ends.
        timeout 60 wineserver -k </dev/null >>"$log" 2>&1
        timeout 60 wineserver -w </dev/null >>"$log" 2>&1
        exit 0
    ) || {
        rm -rf "$tmp"
        die "prefix creation failed (see $log)"
    }
    mv -T "$tmp" "$template" || die "cannot rename $tmp"
}

# Removes a half-made or stale prefix folder. A folder that cannot go (a
# server of an earlier run still writing into it) is an error, never
# something to rename a new prefix into.
remove_folder() {
    rm -rf "$1" 2>/dev/null || { sleep 1 && rm -rf "$1"; } || die "cannot remove $1"
}

# Makes sure $template and $WINEPREFIX exist. Every run that finds them
# missing waits here for the one that makes them, then uses what it made;
# when that one failed, the next tries again itself.
ensure_prefix() {
    [ -f "$WINEPREFIX/.korvo-ready" ] && return 0
    (
        flock 8
        if [ ! -f "$template/.korvo-ready" ]; then
            remove_folder "$template"
            create_template
            touch "$template/.korvo-ready"
        fi
        if [ ! -f "$WINEPREFIX/.korvo-ready" ]; then
            # Copied beside it and renamed, so a half copy is never taken for ready.
            remove_folder "$WINEPREFIX"
            remove_folder "$WINEPREFIX.new"
            mkdir -p "$(dirname "$WINEPREFIX")"
            cp -a "$template" "$WINEPREFIX.new" && mv -T "$WINEPREFIX.new" "$WINEPREFIX" || exit 1
            # Its server is started while the lock is held (without the lock's
            # descriptor), so the runs waiting here all find it up rather than
            # racing to start it and to record where its socket lives.
            start_wineserver 8>&-
        fi
    ) 8>"$state/prefix.lock" || die "cannot set up the prefix $WINEPREFIX"
}

# Keeps the prefix's wineserver up between the runs of a test suite (each run
# would otherwise start it anew), detached from our output.
start_wineserver() {
    wineserver -p60 </dev/null >>"$state/log/wineserver.log" 2>&1 || true
}

stop_all() {
    local p
    # Every prefix of this build tree, the tests' own ones included.
    for p in "$state"/*/ "${KORVO_WINEPREFIX:-}"; do
        [ -n "$p" ] && [ -f "$p/system.reg" ] && WINEPREFIX=${p%/} timeout 30 wineserver -k >/dev/null 2>&1
    done
    if [ -s "$state/xvfb.pid" ]; then
        kill "$(cat "$state/xvfb.pid")" 2>/dev/null
        rm -f "$state/xvfb.pid" "$state/display"
    fi
    return 0
}

# ---- commands --------------------------------------------------------------------
case "${1:-}" in
"")
    die "usage: wine-run.sh PROGRAM [ARGS...] | --setup | --prefix | --env | --shell CMD... | --stop | --loader"
    ;;
--setup)
    ensure_display
    ensure_prefix
    exit 0
    ;;
--prefix)
    ensure_prefix
    echo "$WINEPREFIX"
    exit 0
    ;;
--env)
    ensure_display
    ensure_prefix
    for v in HOME XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME XDG_STATE_HOME XDG_RUNTIME_DIR \
        WINEARCH WINELOADER WINEDEBUG WINEDLLOVERRIDES WINEPREFIX DISPLAY PATH; do
        printf 'export %s=%q\n' "$v" "${!v}"
    done
    exit 0
    ;;
--shell)
    shift
    ensure_display
    ensure_prefix
    [ $# -gt 0 ] || die "--shell needs a command"
    # Arguments may name the prefix as the literal text $WINEPREFIX.
    args=()
    for a in "$@"; do args+=("${a//\$WINEPREFIX/$WINEPREFIX}"); done
    exec timeout --kill-after=10 "$timeout_s" "${args[@]}"
    ;;
--stop)
    stop_all
    exit 0
    ;;
--loader)
    # Tried, not guessed: some machines cannot execute 32-bit programs at all.
    if version=$("$loader" --version 2>&1 </dev/null); then
        echo "$loader"
        exit 0
    fi
    echo "wine-run.sh: the $arch loader $loader does not run here: $(printf '%s' "$version" | tail -n 1)" >&2
    exit 1
    ;;
esac

ensure_display
ensure_prefix
start_wineserver

# Wine starts helper processes (services, the desktop) that outlive the
# program and inherit its output descriptors; CTest would wait for them to
# go away. So the program writes to files that are passed on when it ends.
out=$(mktemp "$state/log/run.XXXXXX") || die "cannot create a temporary file"
err=$out.err
timeout --kill-after=10 "$timeout_s" "$loader" "$@" </dev/null >"$out" 2>"$err"
rc=$?
listing=0
for a in "$@"; do
    [ "$a" = "--gtest_list_tests" ] && listing=1
done
if [ $listing -eq 1 ]; then
    # Console output arrives with CRLF line ends; test discovery wants LF.
    tr -d '\r' <"$out"
else
    cat "$out"
fi
cat "$err" >&2
rm -f "$out" "$err"
[ $rc -eq 124 ] && echo "wine-run.sh: $1 timed out after ${timeout_s}s" >&2
exit $rc
